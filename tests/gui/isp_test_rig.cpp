#include "isp_test_rig.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <algorithm>

#include "pages/handler_guard.h"
#include "pages/isp_page_progress.h"
#include "sim/firmware_layout.h"

namespace gui_test {

IspRig::IspRig(sim::FlashModel flash, bool plugged) {
    if (plugged) {
        sim::ProductConfig product;
        product.flash = flash;
        chip_ = sim::PlugProduct(bus, product, clock);
        usbLink.SetAudioDriver(true);
        usbLink.SetMatchString("vid_2fc6&pid_f066");
        usbLink.FindDevice();
    }
    pages::SetErrorPresenter([this](const QString& message) { handlerErrors << message; });
    page_ = std::make_unique<pages::IspPage>(context);
    page_->ApplyStartupDefaults();
    pages::IspPageProgress& progress = page_->ProgressLabels();
    QObject::connect(&progress, &pages::IspPageProgress::stepTextShown,
                     [this](const QString& text) { stepTexts << text; });
    QObject::connect(&progress, &pages::IspPageProgress::addressTextShown,
                     [this](const QString& text) { addressTexts << text; });
    QObject::connect(&progress, &pages::IspPageProgress::statusRegisterTextShown,
                     [this](const QString& text) { statusRegisterTexts << text; });
    usbLink.SetTrace(&trace);
}

IspRig::~IspRig() {
    page_.reset();
    pages::SetErrorPresenter({});
}

void IspRig::Click(const char* name) const {
    auto* button = Find<QAbstractButton>(name);
    if (button != nullptr)
        button->click();
}

void IspRig::PrepareBlankFlash() {
    page_->btnEnterISPClick();
    chip_->Flash().FillErased();
    chip_->Flash().SetStatusBits(0);
    trace.Clear();
}

std::vector<std::uint8_t> IspRig::LoadFirmware(std::uint32_t length, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes = sim::MakeFirmwareImage(length, seed);
    firmwareImage.Assign(bytes);
    return bytes;
}

bool IspRig::FlashHolds(const std::vector<std::uint8_t>& bytes, std::uint32_t at) const {
    const auto contents = chip_->Flash().Contents();
    return at + bytes.size() <= contents.size() &&
           std::equal(bytes.begin(), bytes.end(), contents.begin() + at);
}

QString IspRig::WriteFile(const QString& name, const QByteArray& content) const {
    const QString path = QDir(dir_.path()).filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return path;
}

int IspRig::CountLines(const std::string& line) const {
    return static_cast<int>(std::count(Lines().begin(), Lines().end(), line));
}

int IspRig::CountLinesStartingWith(const std::string& prefix) const {
    return static_cast<int>(
        std::count_if(Lines().begin(), Lines().end(),
                      [&](const std::string& l) { return l.starts_with(prefix); }));
}

std::vector<std::string> IspRig::OpenCloseLines() const {
    std::vector<std::string> events;
    for (const std::string& line : Lines()) {
        if (line == "open ok" || line == "open fail" || line == "close")
            events.push_back(line);
    }
    return events;
}

}  // namespace gui_test
