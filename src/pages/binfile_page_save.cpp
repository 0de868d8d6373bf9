// " Save" of the Gen. Bin File page: the working copy, with the seven edits
// in its parameter table, written to the new file the user chose.

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QSaveFile>
#include <tuple>
#include <vector>

#include "image/parameter_table.h"
#include "pages/binfile_page.h"
#include "pages/labeled_edit.h"
#include "pages/latin1_text.h"
#include "product/run_state.h"

namespace pages {

namespace {

constexpr int kMaxIdDigits = 4;

// The string edits in table-slot order, with the field names their labels give.
struct StringField {
    const char* editName;
    const char* fieldName;
};
constexpr StringField kStringFields[image::kTableStringCount] = {
    {"edtNewStr0", "Manufacture"}, {"edtNewStr1", "Product Name"}, {"edtNewStr2", "Serial Number"},
    {"edtNewStr3", "Play Port"},   {"edtNewStr4", "Record Port"},
};

// One to four hexadecimal digits, blanks around them allowed.
std::optional<std::uint16_t> IdValue(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > kMaxIdDigits)
        return std::nullopt;
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok || digits.startsWith('+') || digits.startsWith('-'))
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

void BinFilePage::btnSaveBinClick() {
    if (context_.runState.LinkBusy())
        return;
    if (modifyLength_ == 0 || newFilePath_.isEmpty()) {
        Refuse(
            QStringLiteral("Load a firmware file with \"Current File\" and choose the new "
                           "file with \"New File\" first. Nothing was written."));
        return;
    }
    const std::string problem =
        image::TableLayoutProblem(modifyImage_.Bytes(), modifyLength_, tableOffset_);
    if (!problem.empty()) {
        Refuse(QStringLiteral("The parameter table of %1 does not have the layout this tool "
                              "writes: %2. Nothing was written.")
                   .arg(modifyFilePath_, QString::fromStdString(problem)));
        return;
    }
    const std::optional<image::TableEdits> edits = CollectEdits();
    if (edits && WriteNewFile(*edits))
        lblSaveDone_->setText(QStringLiteral("Saved to ") + newFilePath_);
}

std::optional<image::TableEdits> BinFilePage::CollectEdits() {
    image::TableEdits edits;
    for (auto [name, field, id] : {std::tuple{"labedtNewVID", "VID", &edits.vendorId},
                                   std::tuple{"labedtNewPID", "PID", &edits.productId}}) {
        const auto value = IdValue(findChild<LabeledEdit*>(QString::fromLatin1(name))->text());
        if (!value) {
            Refuse(QStringLiteral("%1 must be one to four hexadecimal digits. Nothing was written.")
                       .arg(QString::fromLatin1(field)));
            return std::nullopt;
        }
        *id = *value;
    }
    for (std::uint32_t slot = 0; slot < image::kTableStringCount; ++slot) {
        const StringField& field = kStringFields[slot];
        const QString text = findChild<QLineEdit*>(QString::fromLatin1(field.editName))->text();
        const std::optional<QByteArray> bytes = ExactLatin1(text);
        if (!bytes) {
            Refuse(QStringLiteral("%1 holds characters that have no single-byte code. Nothing "
                                  "was written.")
                       .arg(QString::fromLatin1(field.fieldName)));
            return std::nullopt;
        }
        if (bytes->size() > static_cast<qsizetype>(image::kTableStringMaxLength)) {
            Refuse(QStringLiteral("%1 holds %2 characters; the table keeps at most %3. Nothing "
                                  "was written.")
                       .arg(QString::fromLatin1(field.fieldName))
                       .arg(bytes->size())
                       .arg(image::kTableStringMaxLength));
            return std::nullopt;
        }
        edits.strings[slot] = bytes->toStdString();
    }
    return edits;
}

bool BinFilePage::WriteNewFile(const image::TableEdits& edits) {
    const auto defined = modifyImage_.Bytes().first(modifyLength_);
    std::vector<std::uint8_t> content(defined.begin(), defined.end());
    image::WriteTableEdits(content, tableOffset_, edits);
    QSaveFile file(newFilePath_);
    const bool written =
        file.open(QIODevice::WriteOnly) &&
        file.write(reinterpret_cast<const char*>(content.data()),
                   static_cast<qint64>(content.size())) == static_cast<qint64>(content.size()) &&
        file.commit();
    if (!written) {
        Refuse(QStringLiteral("Cannot write %1: %2.").arg(newFilePath_, file.errorString()));
    }
    return written;
}

void BinFilePage::Refuse(const QString& text) {
    QMessageBox::warning(this, QStringLiteral("Warning"), text);
}

}  // namespace pages
