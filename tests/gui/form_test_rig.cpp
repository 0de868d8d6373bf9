#include "form_test_rig.h"

#include <QFile>
#include <QTimer>

#include "tools/intel_hex_writer.h"

namespace gui_test {

namespace {

TForm1::Options OptionsOf(int logicalDpi, bool engineering) {
    TForm1::Options options;
    options.logicalDpi = logicalDpi;
    options.engineering = engineering;
    return options;
}

}  // namespace

FormRig::FormRig(int logicalDpi, bool engineering) : FormRig(OptionsOf(logicalDpi, engineering)) {}

FormRig::FormRig(TForm1::Options options) : previousDir_(QDir::currentPath()) {
    QDir::setCurrent(workDir_.path());
    usbLink.SetTrace(&trace);
    if (options.logicalDpi == 0)
        options.logicalDpi = 96;
    options.trace = &trace;
    form_ = std::make_unique<TForm1>(context, options);
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
