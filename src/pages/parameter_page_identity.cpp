// The parameter page's identity fields: the USB IDs and the three strings,
// each sent on Enter, refused before anything is sent when the product could
// not store its text.

#include <QMessageBox>
#include <string_view>

#include "pages/labeled_edit.h"
#include "pages/latin1_text.h"
#include "pages/page_keys.h"
#include "pages/parameter_page.h"
#include "pages/parameter_page_exchange.h"
#include "product/parameter_ops.h"
#include "product/run_state.h"
#include "usb/quorvex_usb.h"

namespace pages {

using namespace parameter_exchange;

namespace {

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// lbledSysStr1 to lbledSysStr3 edit the store's three strings in order.
product::ProductString StringOf(const LabeledEdit& edit) {
    const QString name = edit.objectName();
    if (name.endsWith('1'))
        return product::ProductString::Manufacturer;
    return name.endsWith('2') ? product::ProductString::ModelName
                              : product::ProductString::SerialNumber;
}

}  // namespace

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
    const bool vid = sender.objectName() == QLatin1String("lbledSysVID");
    const std::optional<QByteArray> text = FieldBytes(sender);
    if (!text)
        return;
    // The characters themselves go out, not a number made of them.
    const bool written = vid ? product::WriteVid(context_.usbLink, View(*text))
                             : product::WritePid(context_.usbLink, View(*text));
    ShowOutcome(written ? kWritten : kNoAnswer);
}

void ParameterPage::lbledSysStrKeyDown(const LabeledEdit& sender, int key) {
    if (!IsEnterKey(key) || context_.runState.LinkBusy())
        return;
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
    SendString(StringOf(sender), *characters);
}

void ParameterPage::SendString(product::ProductString which, const QByteArray& characters) {
    switch (product::WriteProductString(context_.usbLink, which, View(characters))) {
        case product::StringWrite::Written:
            ShowOutcome(kWritten);
            return;
        case product::StringWrite::StoppedPartWay:
            ShowOutcome(
                QStringLiteral("The device stopped answering part-way: the "
                               "string may be incomplete; press Enter again"));
            return;
        case product::StringWrite::NotAnswered:
        case product::StringWrite::TooLong:  // refused with a message before this
            break;
    }
    ShowOutcome(kNoAnswer);
}

}  // namespace pages
