#pragma once

class QString;

namespace pages {

// The ISP page's notice: a modal box without owner and without icon, caption
// "Dialog", one OK button.
void ShowIspDialog(const QString& text);

}  // namespace pages
