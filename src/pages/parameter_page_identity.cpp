// The parameter page's identity fields: the USB IDs and the three strings,
// each sent on Enter, refused before anything is sent when the product could
// not store its text.

#include <QMessageBox>
#include <array>
#include <cstddef>

#include "chip/param_commands.h"
#include "pages/labeled_edit.h"
#include "pages/latin1_text.h"
#include "pages/page_keys.h"
#include "pages/parameter_page.h"
#include "pages/parameter_page_exchange.h"
#include "product/run_state.h"
#include "usb/quorvex_usb.h"

namespace pages {

using namespace parameter_exchange;

std::optional<QByteArray> ParameterPage::FieldBytes(const LabeledEdit& sender) {
    std::optional<QByteArray> bytes = ExactLatin1(sender.text());
    if (!bytes) {
        QMessageBox::warning(this, QStringLiteral("Warning"),
                             QStringLiteral("%1 holds characters that have no single-byte code; "
                                            "the product cannot store them. Nothing was sent.")
                                 .arg(sender.label()->text().chopped(1)));
    }
    return bytes;
}

void ParameterPage::lbledSysVIDPIDKeyDown(const LabeledEdit& sender, int key) {
    if (!IsEnterKey(key) || context_.runState.LinkBusy())
        return;
    const std::uint8_t selector =
        sender.objectName() == QLatin1String("lbledSysVID") ? kSelectorVid : kSelectorPid;
    const std::optional<QByteArray> text = FieldBytes(sender);
    if (!text)
        return;
    // The characters themselves go out, not a number made of them.
    std::array<std::uint8_t, kIdLength> bytes{};
    for (int i = 0; i < kIdLength && i < text->size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>((*text)[i]);
    }
    const bool written = chip::ParamAccess(context_.usbLink, chip::kMailboxParamCommand, selector,
                                           0, kIdLength, bytes.data());
    ShowOutcome(written ? kWritten : kNoAnswer);
}

void ParameterPage::lbledSysStrKeyDown(const LabeledEdit& sender, int key) {
    if (!IsEnterKey(key) || context_.runState.LinkBusy())
        return;
    const QString name = sender.objectName();
    const std::uint8_t selector = name.endsWith('1')   ? kSelectorString1
                                  : name.endsWith('2') ? kSelectorString2
                                                       : kSelectorString3;
    const std::optional<QByteArray> characters = FieldBytes(sender);
    if (!characters)
        return;
    if (characters->size() > kMaxStringLength) {
        QMessageBox::warning(
            this, QStringLiteral("Warning"),
            QStringLiteral("%1 holds %2 characters; the product keeps at most %3.\n"
                           "Shorten the text and press Enter again. Nothing was sent.")
                .arg(sender.label()->text().chopped(1))
                .arg(characters->size())
                .arg(kMaxStringLength));
        return;
    }
    SendString(selector, *characters);
}

// The packet is the length byte and the characters, in mailbox-sized chunks.
void ParameterPage::SendString(std::uint8_t selector, const QByteArray& characters) {
    std::array<std::uint8_t, 1 + kMaxStringLength> packet{};
    const int length = static_cast<int>(characters.size()) + 1;
    packet[0] = static_cast<std::uint8_t>(characters.size());
    for (int i = 0; i < characters.size(); ++i) {
        packet[i + 1] = static_cast<std::uint8_t>(characters[i]);
    }
    for (int k = 0; k * kChunkSize < length; ++k) {
        const int count = (k + 1) * kChunkSize < length ? kChunkSize : length - k * kChunkSize;
        if (!chip::ParamAccess(context_.usbLink, chip::kMailboxParamCommand, selector,
                               static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(count),
                               packet.data() + static_cast<std::ptrdiff_t>(k) * kChunkSize)) {
            // The chunks after it would only lengthen the wait.
            ShowOutcome(k == 0 ? kNoAnswer
                               : QStringLiteral("The device stopped answering part-way: the "
                                                "string may be incomplete; press Enter again"));
            return;
        }
        context_.usbLink.SleepMs(kChunkPauseMs);
    }
    ShowOutcome(kWritten);
}

}  // namespace pages
