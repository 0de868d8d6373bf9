#include "form_test_rig.h"

#include <QFile>
#include <QTimer>

namespace gui_test {
namespace {

QByteArray RecordLine(std::uint8_t type, std::uint16_t offset, const std::uint8_t* data,
                      std::size_t count) {
    std::vector<std::uint8_t> record = {static_cast<std::uint8_t>(count),
                                        static_cast<std::uint8_t>(offset >> 8),
                                        static_cast<std::uint8_t>(offset), type};
    record.insert(record.end(), data, data + count);
    std::uint8_t sum = 0;
    for (std::uint8_t byte : record)
        sum = static_cast<std::uint8_t>(sum + byte);
    record.push_back(static_cast<std::uint8_t>(-sum));
    QByteArray line = ":";
    for (std::uint8_t byte : record)
        line += QByteArray::number(byte, 16).rightJustified(2, '0');
    return line.toUpper() + "\r\n";
}

}  // namespace

FormRig::FormRig(int logicalDpi, bool engineering) : previousDir_(QDir::currentPath()) {
    QDir::setCurrent(workDir_.path());
    usbLink.SetTrace(&trace);
    form_ = std::make_unique<TForm1>(context, TForm1::Options{logicalDpi, engineering});
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
    QByteArray text;
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        if (at % 0x10000 == 0 && at != 0) {
            const std::uint8_t upper[2] = {static_cast<std::uint8_t>(at >> 24),
                                           static_cast<std::uint8_t>(at >> 16)};
            text += RecordLine(0x04, 0, upper, 2);
        }
        const std::size_t count = std::min<std::size_t>(16, bytes.size() - at);
        text += RecordLine(0x00, static_cast<std::uint16_t>(at), bytes.data() + at, count);
    }
    return text + ":00000001FF\r\n";
}

}  // namespace gui_test
