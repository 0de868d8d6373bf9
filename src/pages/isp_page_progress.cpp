#include "pages/isp_page_progress.h"

#include <QCoreApplication>
#include <QLabel>

namespace pages {

namespace {

QString FromView(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

IspPageProgress::IspPageProgress(QLabel* stepLabel, QLabel* addressLabel,
                                 QLabel* statusRegisterLabel, QObject* parent)
    : QObject(parent),
      stepLabel_(stepLabel),
      addressLabel_(addressLabel),
      statusRegisterLabel_(statusRegisterLabel) {}

void IspPageProgress::SetStepText(std::string_view text) {
    const QString shown = FromView(text);
    stepLabel_->setText(shown);
    emit stepTextShown(shown);
}

void IspPageProgress::SetAddressText(std::string_view text) {
    const QString shown = FromView(text);
    addressLabel_->setText(shown);
    emit addressTextShown(shown);
}

void IspPageProgress::SetStatusRegisterText(std::string_view text) {
    const QString shown = FromView(text);
    statusRegisterLabel_->setText(shown);
    emit statusRegisterTextShown(shown);
}

void IspPageProgress::PumpEvents() {
    QCoreApplication::processEvents();
}

}  // namespace pages
