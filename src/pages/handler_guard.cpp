#include "pages/handler_guard.h"

#include <QApplication>
#include <QMessageBox>

namespace pages {
namespace {

ErrorPresenter& Presenter() {
    static ErrorPresenter presenter;
    return presenter;
}

}  // namespace

void SetErrorPresenter(ErrorPresenter presenter) {
    Presenter() = std::move(presenter);
}

void ReportHandlerError(const QString& message) {
    if (Presenter()) {
        Presenter()(message);
        return;
    }
    QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), message);
}

}  // namespace pages
