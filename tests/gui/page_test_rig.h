#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "flash/flash_state.h"
#include "image/firmware_image.h"
#include "pages/page_context.h"
#include "pages/string_grid.h"
#include "sim/sim_backend.h"
#include "sim/sim_chip.h"
#include "sim/virtual_clock.h"
#include "simulated_program.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace gui_test {

// One register access or pause as the request trace shows it.
struct TraceEvent {
    enum Kind { Write, Read, Sleep, Open, Close, Other };
    Kind kind = Other;
    int reg = -1;
    int value = -1;  // the byte written or read, the pause in ms
    bool ok = false;
};

// Everything a device page is built over, as the window holds it: a simulated
// product that the link has found on the audio-driver path, the state the
// pages share, and a request trace that starts empty once the rig is built.
// Errors that escape a handler are recorded instead of opening the error box.
class PageRig : public SimulatedProgram {
public:
    PageRig();
    ~PageRig();
    PageRig(const PageRig&) = delete;
    PageRig& operator=(const PageRig&) = delete;

    flash::FlashState& flash = flashState;
    QStringList handlerErrors;

    sim::SimChip& Chip() { return *chip_; }
    // The product goes away; the link still believes it found it, as between two detection ticks.
    void Unplug() { bus.Unplug("1-2"); }

    // Shows the page as the window would and keeps it for the test.
    template <typename Page>
    Page& Show(std::unique_ptr<Page> page) {
        Page& shown = *page;
        page->show();
        pages_.push_back(std::move(page));
        return shown;
    }

    // The trace, parsed.
    std::vector<TraceEvent> Events() const;
    std::vector<TraceEvent> Writes() const;
    // Values written to one register, in order.
    std::vector<int> WritesTo(int reg) const;
    int ReadsOf(int reg) const;
    int RequestCount() const;
    std::vector<int> Sleeps() const;
    // Calls `action` when the trace shows the n-th read of `reg` (1-based),
    // from inside that request.
    void OnRead(int reg, int n, std::function<void()> action);

private:
    class HookedTrace;
    std::shared_ptr<sim::SimChip> chip_;
    std::vector<std::unique_ptr<QWidget>> pages_;
    std::unique_ptr<HookedTrace> hooked_;
};

TraceEvent ParseTraceLine(const std::string& line);

// Input as the user gives it, delivered straight to the widget.
void PressKey(QWidget* target, int key, const QString& text = QString(),
              Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void TypeText(QWidget* target, const QString& text);
// Types into the grid's current cell as the user would: the first character opens the editor.
void TypeIntoGrid(pages::StringGrid& grid, const QString& text);
void ClickAt(QWidget* target, const QPoint& pos, Qt::MouseButton button = Qt::LeftButton);
void DoubleClickAt(QWidget* target, const QPoint& pos);

template <typename T>
T* Find(const QWidget& page, const char* name) {
    return page.findChild<T*>(QString::fromLatin1(name));
}

}  // namespace gui_test
