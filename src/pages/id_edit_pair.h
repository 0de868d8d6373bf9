#pragma once

class QLayout;

namespace pages {

class LabeledEdit;

// The VID and PID edits of a page side by side, each in a fixed-pitch font and
// just wide enough for `characters` of it: IDs are short hexadecimal texts and
// wide edits would suggest room for more.
QLayout* IdEditPair(LabeledEdit& vid, LabeledEdit& pid, int characters);

}  // namespace pages
