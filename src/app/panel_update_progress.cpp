#include "app/panel_update_progress.h"

#include "pages/latin1_text.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

namespace app {

PanelUpdateProgress::PanelUpdateProgress(flash::FlashProgress& ispPage, QLabel* statusLine,
                                         QProgressBar* bar)
    : ispPage_(ispPage), statusLine_(statusLine), bar_(bar) {}

void PanelUpdateProgress::ShowStep(std::string_view text) {
    statusLine_->setText(pages::FromLatin1View(text));
}

void PanelUpdateProgress::SetShareDone(double share) {
    const double clamped = std::clamp(share, 0.0, 1.0);
    bar_->setValue(static_cast<int>(std::lround(clamped * bar_->maximum())));
    ispPage_.SetShareDone(share);
}

}  // namespace app
