#include "pages/isp_page_progress.h"

#include <QCoreApplication>
#include <QLabel>

#include "pages/latin1_text.h"

namespace pages {

IspPageProgress::IspPageProgress(QLabel* stepLabel, QLabel* addressLabel,
                                 QLabel* statusRegisterLabel, QObject* parent)
    : QObject(parent),
      stepLabel_(stepLabel),
      addressLabel_(addressLabel),
      statusRegisterLabel_(statusRegisterLabel) {}

void IspPageProgress::SetStepText(std::string_view text) {
    const QString shown = FromLatin1View(text);
    stepLabel_->setText(shown);
    emit stepTextShown(shown);
}

void IspPageProgress::SetAddressText(std::string_view text) {
    const QString shown = FromLatin1View(text);
    addressLabel_->setText(shown);
    emit addressTextShown(shown);
}

void IspPageProgress::SetStatusRegisterText(std::string_view text) {
    const QString shown = FromLatin1View(text);
    statusRegisterLabel_->setText(shown);
    emit statusRegisterTextShown(shown);
}

void IspPageProgress::PumpEvents() {
    QCoreApplication::processEvents();
}

}  // namespace pages
