#include "page_test_rig.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cstdio>

#include "pages/handler_guard.h"
#include "sim/product_factory.h"

namespace gui_test {

// Hands every line on to the rig's memory trace and runs the hooks that wait for it.
class PageRig::HookedTrace final : public usb::RequestTrace {
public:
    explicit HookedTrace(usb::MemoryTrace& lines) : lines_(lines) {}

    void Line(std::string_view line) override {
        lines_.Line(line);
        const TraceEvent event = ParseTraceLine(std::string(line));
        if (event.kind != TraceEvent::Read || event.reg != hookReg_ || !hook_)
            return;
        if (++seen_ == hookCount_) {
            auto action = std::move(hook_);
            hook_ = nullptr;
            action();
        }
    }

    void Hook(int reg, int n, std::function<void()> action) {
        hookReg_ = reg;
        hookCount_ = n;
        seen_ = 0;
        hook_ = std::move(action);
    }

private:
    usb::MemoryTrace& lines_;
    int hookReg_ = -1;
    int hookCount_ = 0;
    int seen_ = 0;
    std::function<void()> hook_;
};

PageRig::PageRig() : hooked_(std::make_unique<HookedTrace>(trace)) {
    chip_ = sim::PlugProduct(bus, sim::ProductConfig{}, clock);
    usbLink.SetAudioDriver(true);
    usbLink.SetMatchString("vid_2fc6&pid_f066");
    usbLink.FindDevice();
    devicePages.sysSetting = {0xA1, 0x00, 0x00, 0x00};
    pages::SetErrorPresenter([this](const QString& message) { handlerErrors << message; });
    usbLink.SetTrace(hooked_.get());
}

PageRig::~PageRig() {
    pages_.clear();
    usbLink.SetTrace(nullptr);
    pages::SetErrorPresenter({});
}

TraceEvent ParseTraceLine(const std::string& line) {
    TraceEvent event;
    unsigned type = 0, code = 0, value = 0, index = 0, length = 0;
    char data[8] = {};
    char result[8] = {};
    if (line == "open ok" || line == "open fail") {
        event.kind = TraceEvent::Open;
        event.ok = line == "open ok";
    } else if (line == "close") {
        event.kind = TraceEvent::Close;
    } else if (std::sscanf(line.c_str(), "sleep %u", &value) == 1) {
        event.kind = TraceEvent::Sleep;
        event.value = static_cast<int>(value);
    } else if (std::sscanf(line.c_str(), "%x %x %x %x %u %7s %7s", &type, &code, &value, &index,
                           &length, data, result) == 7 &&
               (code == 0x90 || code == 0x91) && length == 1) {
        event.kind = code == 0x90 ? TraceEvent::Write : TraceEvent::Read;
        event.reg = static_cast<int>(index);
        event.value = static_cast<int>(std::stoul(data, nullptr, 16));
        event.ok = std::string(result) == "ok";
    }
    return event;
}

std::vector<TraceEvent> PageRig::Events() const {
    std::vector<TraceEvent> events;
    for (const std::string& line : trace.Lines())
        events.push_back(ParseTraceLine(line));
    return events;
}

std::vector<TraceEvent> PageRig::Writes() const {
    std::vector<TraceEvent> writes;
    for (const TraceEvent& event : Events()) {
        if (event.kind == TraceEvent::Write)
            writes.push_back(event);
    }
    return writes;
}

std::vector<int> PageRig::WritesTo(int reg) const {
    std::vector<int> values;
    for (const TraceEvent& event : Writes()) {
        if (event.reg == reg)
            values.push_back(event.value);
    }
    return values;
}

int PageRig::ReadsOf(int reg) const {
    const auto events = Events();
    return static_cast<int>(std::count_if(events.begin(), events.end(), [reg](const TraceEvent& e) {
        return e.kind == TraceEvent::Read && e.reg == reg;
    }));
}

int PageRig::RequestCount() const {
    const auto events = Events();
    return static_cast<int>(std::count_if(events.begin(), events.end(), [](const TraceEvent& e) {
        return e.kind == TraceEvent::Write || e.kind == TraceEvent::Read;
    }));
}

std::vector<int> PageRig::Sleeps() const {
    std::vector<int> pauses;
    for (const TraceEvent& event : Events()) {
        if (event.kind == TraceEvent::Sleep)
            pauses.push_back(event.value);
    }
    return pauses;
}

void PageRig::OnRead(int reg, int n, std::function<void()> action) {
    hooked_->Hook(reg, n, std::move(action));
}

void PressKey(QWidget* target, int key, const QString& text, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

namespace {

int KeyFor(QChar c) {
    if (c.isLetter())
        return Qt::Key_A + (c.toUpper().unicode() - 'A');
    if (c.isDigit())
        return Qt::Key_0 + (c.unicode() - '0');
    return c.unicode();
}

}  // namespace

void TypeText(QWidget* target, const QString& text) {
    for (const QChar c : text)
        PressKey(target, KeyFor(c), QString(c));
}

void TypeIntoGrid(pages::StringGrid& grid, const QString& text) {
    // The first character opens the cell's editor, which takes the others.
    for (const QChar c : text) {
        QWidget* target = grid.IsEditing() ? static_cast<QWidget*>(grid.Editor()) : &grid;
        PressKey(target, KeyFor(c), QString(c));
    }
}

void ClickAt(QWidget* target, const QPoint& pos, Qt::MouseButton button) {
    const QPointF local(pos);
    const QPointF global(target->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

void DoubleClickAt(QWidget* target, const QPoint& pos) {
    ClickAt(target, pos);
    const QPointF local(pos);
    QMouseEvent twice(QEvent::MouseButtonDblClick, local, QPointF(target->mapToGlobal(pos)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &twice);
}

}  // namespace gui_test
