#include "pages/id_edit_pair.h"

#include <QHBoxLayout>

#include "pages/labeled_edit.h"
#include "pages/page_fonts.h"

namespace pages {

QLayout* IdEditPair(LabeledEdit& vid, LabeledEdit& pid, int characters) {
    constexpr int kGap = 16;
    for (LabeledEdit* id : {&vid, &pid}) {
        id->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        FitFixedPitch(*id->edit(), characters);
    }
    auto* row = new QHBoxLayout;
    row->addWidget(&vid);
    row->addSpacing(kGap);
    row->addWidget(&pid);
    row->addStretch();
    return row;
}

}  // namespace pages
