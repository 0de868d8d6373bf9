#pragma once

#include <QString>
#include <concepts>
#include <exception>
#include <functional>
#include <utility>

namespace pages {

// Shows an error that escaped a handler in the standard error box; the
// program goes on. Tests may install their own presenter.
void ReportHandlerError(const QString& message);
using ErrorPresenter = std::function<void(const QString& message)>;
void SetErrorPresenter(ErrorPresenter presenter);  // empty: the message box

// Qt must never see an exception leave a slot or an event handler, so every
// handler runs inside this guard.
// The wrapper accepts exactly the arguments the handler accepts, so Qt still
// drops the signal arguments a handler does not take (clicked(bool) → click()).
template <typename Handler>
auto Guarded(Handler handler) {
    return [handler = std::move(handler)]<typename... Args>(
        Args && ... args) requires std::invocable<const Handler&, Args...> {
        try {
            handler(std::forward<Args>(args)...);
        } catch (const std::exception& error) {
            ReportHandlerError(QString::fromStdString(error.what()));
        } catch (...) {
            ReportHandlerError(QString());
        }
    };
}

// Runs one handler call at once under the guard.
template <typename Handler>
void RunGuarded(Handler&& handler) {
    Guarded(std::forward<Handler>(handler))();
}

}  // namespace pages
