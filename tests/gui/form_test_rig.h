#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/tform1.h"
#include "sim/product_factory.h"
#include "sim/sim_backend.h"
#include "sim/virtual_clock.h"
#include "simulated_program.h"
#include "usb/quorvex_usb.h"
#include "usb/request_trace.h"

namespace gui_test {

// The main window over a simulated bus on a virtual clock, in a scratch
// working folder (where the detection looks for update files). The real
// timer is stopped: tests drive the ticks themselves.
class FormRig : public SimulatedProgram {
public:
    explicit FormRig(int logicalDpi = 96, bool engineering = false);
    // With window options of the test's own; the trace is always the rig's.
    explicit FormRig(TForm1::Options options);
    ~FormRig();

    TForm1& Form() { return *form_; }
    app::UpdatePanelState& State() { return form_->PanelState(); }
    // Whether Timer1 was running, at 1000 ms, when the window was made, before the rig stopped it.
    bool TimerRanFromStart() const { return timerRanFromStart_; }
    template <typename T>
    T* Find(const char* name) const {
        return form_->findChild<T*>(QString::fromLatin1(name));
    }

    // One detection tick; returns the interval the tick left for the next one.
    int Tick();
    // Ticks until the link reports a device, at most `limit` ticks; returns the count.
    int TickUntilFound(int limit = 40);

    std::shared_ptr<sim::SimChip> Plug(const sim::ProductConfig& config);
    void Unplug() { bus.Unplug(location_); }

    // Writes an update file into the working folder.
    void WriteFile(const QString& name, const QByteArray& content) const;
    QString WorkDir() const { return workDir_.path(); }

private:
    QTemporaryDir workDir_;
    QString previousDir_;
    std::string location_ = "1-2";
    std::unique_ptr<TForm1> form_;
    bool timerRanFromStart_ = false;
};

// Intel HEX text of `bytes` placed from address 0, as our tools write it.
QByteArray HexFileOf(const std::vector<std::uint8_t>& bytes);

}  // namespace gui_test
