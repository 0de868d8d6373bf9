#include "form_test_rig.h"

#include <QFile>
#include <QTimer>

#include "tools/intel_hex_writer.h"

namespace gui_test {

FormRig::FormRig(int logicalDpi, bool engineering) : previousDir_(QDir::currentPath()) {
    QDir::setCurrent(workDir_.path());
    usbLink.SetTrace(&trace);
    form_ = std::make_unique<TForm1>(context, TForm1::Options{logicalDpi, engineering});
    timerRanFromStart_ = form_->Timer1()->isActive() && form_->Timer1()->interval() == 1000;
    form_->Timer1()->stop();
}

FormRig::~FormRig() {
    form_.reset();
    QDir::setCurrent(previousDir_);
}

int FormRig::Tick() {
    form_->Timer1Timer();
    return form_->Timer1()->interval();
}

int FormRig::TickUntilFound(int limit) {
    for (int tick = 1; tick <= limit; ++tick) {
        Tick();
        if (usbLink.IsFound())
            return tick;
    }
    return -1;
}

std::shared_ptr<sim::SimChip> FormRig::Plug(const sim::ProductConfig& config) {
    location_ = config.location;
    return sim::PlugProduct(bus, config, clock);
}

void FormRig::WriteFile(const QString& name, const QByteArray& content) const {
    QFile file(QDir(workDir_.path()).filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

QByteArray HexFileOf(const std::vector<std::uint8_t>& bytes) {
    return QByteArray::fromStdString(tools::WriteIntelHex(bytes));
}

}  // namespace gui_test
