#include "pages/binfile_page.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "image/built_in_image.h"
#include "image/firmware_file.h"
#include "image/parameter_table_edit.h"
#include "image/table_marker.h"
#include "pages/accessible.h"
#include "pages/handler_guard.h"
#include "pages/id_edit_pair.h"
#include "pages/labeled_edit.h"
#include "pages/latin1_text.h"
#include "pages/named_widgets.h"
#include "product/run_state.h"

namespace pages {

namespace {

constexpr int kHeadingPoints = 12;
constexpr int kIdCharacters = 6;

const QString kLoadReady = QStringLiteral("Load file ready");
const QString kLoadInvalid = QStringLiteral("Load file is invalid for modify");

// A path label gives way to the layout instead of widening the window; the
// whole path stays readable in its tool tip.
QLabel* PathLabel(const QString& name, QWidget* parent) {
    QLabel* label = NamedLabel(name, QStringLiteral("..."), parent);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return label;
}

// A file that was there to load but did not load; a name of no known kind is
// not one, since nothing was tried.
bool LoadFailed(const image::LoadResult& result) {
    return result.status == image::LoadStatus::NotOpened ||
           result.status == image::LoadStatus::Refused;
}

void ShowPath(QLabel& label, const QString& path) {
    label.setText(path);
    label.setToolTip(path);
}

// As the resource texts write the IDs: four upper-case hexadecimal digits.
QString TableIdText(std::uint16_t id) {
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

BinFilePage::BinFilePage(PageContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      currentFileBitBtn_(Named<QPushButton>(QStringLiteral("CurrentFileBitBtn"),
                                            QStringLiteral("Current File"), this)),
      lblCurrentFilePath_(PathLabel(QStringLiteral("lblCurrentFilePath"), this)),
      btnCheck_(Named<QPushButton>(QStringLiteral("btnCheck"), QStringLiteral("Check"), this)),
      lblStatusReport_(NamedLabel(QStringLiteral("lblStatusReport"), QString(), this)),
      lblSaveDone_(NamedLabel(QStringLiteral("lblSaveDone"), QString(), this)),
      groupBox9_(new QGroupBox(QStringLiteral("User information New Setting "), this)),
      btnSaveBitBin_(
          Named<QPushButton>(QStringLiteral("btnSaveBitBin"), QStringLiteral("New File"), this)),
      lblSaveBinPath_(PathLabel(QStringLiteral("lblSaveBinPath"), this)),
      btnSaveBin_(Named<QPushButton>(QStringLiteral("btnSaveBin"), QStringLiteral(" Save"), this)) {
    setObjectName(QStringLiteral("BinFile"));
    setWindowTitle(QStringLiteral("Gen. Bin File"));
    SetAccessibleTexts(currentFileBitBtn_, QStringLiteral("Current File"),
                       QStringLiteral("Opens a firmware file to make a new one from"));
    SetAccessibleTexts(btnCheck_, QStringLiteral("Check"),
                       QStringLiteral("Finds the parameter table in the opened file"));
    SetAccessibleTexts(btnSaveBitBin_, QStringLiteral("New File"),
                       QStringLiteral("Chooses the name of the new binary file"));
    SetAccessibleTexts(btnSaveBin_, QStringLiteral("Save"),
                       QStringLiteral("Writes the new binary file with the settings shown"));
    currentFileBitBtn_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    btnSaveBitBin_->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    btnCheck_->setEnabled(false);
    btnSaveBitBin_->setEnabled(false);
    btnSaveBin_->setEnabled(false);

    QLabel* heading = NamedLabel(
        QStringLiteral("Label13"),
        QStringLiteral("Modify User parameter and save to new Binary File"), this, kHeadingPoints);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(BuildSource());
    layout->addWidget(BuildNewSetting());
    layout->addWidget(BuildTarget());
    layout->addStretch();

    connect(currentFileBitBtn_, &QPushButton::clicked, this,
            Guarded([this] { CurrentFileBitBtnClick(); }));
    connect(btnCheck_, &QPushButton::clicked, this, Guarded([this] { btnCheckClick(); }));
    connect(btnSaveBitBin_, &QPushButton::clicked, this, Guarded([this] { btnSaveBitBinClick(); }));
    connect(btnSaveBin_, &QPushButton::clicked, this, Guarded([this] { btnSaveBinClick(); }));
}

QWidget* BinFilePage::BuildSource() {
    auto* box = new QGroupBox(QStringLiteral("Firmware file"), this);
    auto* grid = new QGridLayout(box);
    const int buttonWidth =
        std::max(currentFileBitBtn_->sizeHint().width(), btnCheck_->sizeHint().width());
    currentFileBitBtn_->setMinimumWidth(buttonWidth);
    btnCheck_->setMinimumWidth(buttonWidth);
    grid->addWidget(currentFileBitBtn_, 0, 0);
    grid->addWidget(lblCurrentFilePath_, 0, 1, 1, 2);
    grid->addWidget(btnCheck_, 1, 0);
    grid->addWidget(lblStatusReport_, 1, 1);
    grid->addWidget(lblSaveDone_, 1, 2);
    grid->setColumnStretch(1, 1);
    return box;
}

QWidget* BinFilePage::BuildNewSetting() {
    groupBox9_->setObjectName(QStringLiteral("GroupBox9"));
    groupBox9_->setEnabled(false);
    auto* grid = new QGridLayout(groupBox9_);
    auto* vid =
        new LabeledEdit(QStringLiteral("labedtNewVID"), QStringLiteral("VID:"), "2FC6", this);
    auto* pid =
        new LabeledEdit(QStringLiteral("labedtNewPID"), QStringLiteral("PID:"), "6012", this);
    vid->Describe(QStringLiteral("The USB vendor ID the new file gives the product"));
    pid->Describe(QStringLiteral("The USB product ID the new file gives the product"));
    grid->addLayout(IdEditPair(*vid, *pid, kIdCharacters), 0, 0, 1, 2);

    const std::array<std::array<QString, 4>, 5> strings = {{
        {"Label9", "Manufacture:", "edtNewStr0", "Quorvex-inc"},
        {"Label10", "Product Name:", "edtNewStr1", "Quorvex-inc UAC22"},
        {"Label11", "Serial Number:", "edtNewStr2", "QVUA170405"},
        {"Label12", "Play Port:", "edtNewStr3", "Primary Play Interface"},
        {"Label14", "Record Port:", "edtNewStr4", "Record Interface"},
    }};
    for (int i = 0; i < static_cast<int>(strings.size()); ++i) {
        auto* edit = Named<QLineEdit>(strings[i][2], strings[i][3], this);
        QLabel* label = NamedLabel(strings[i][0], strings[i][1], this);
        SetAccessibleTexts(edit, NameFromCaption(strings[i][1]),
                           QStringLiteral("A string the new file gives the product"));
        label->setBuddy(edit);
        grid->addWidget(label, i + 1, 0);
        grid->addWidget(edit, i + 1, 1);
    }
    grid->setColumnStretch(1, 1);
    return groupBox9_;
}

QWidget* BinFilePage::BuildTarget() {
    auto* box = new QGroupBox(QStringLiteral("New binary file"), this);
    auto* row = new QHBoxLayout(box);
    row->addWidget(btnSaveBitBin_);
    row->addWidget(lblSaveBinPath_, 1);
    row->addWidget(btnSaveBin_);
    return box;
}

void BinFilePage::CurrentFileBitBtnClick() {
    // Update runs and the ISP page's loops read the firmware image between
    // their requests.
    if (context_.runState.LinkBusy())
        return;
    const QString path = chooseFile_(this, OpenBinFileDialog());
    if (path.isEmpty())
        return;
    modifyFilePath_ = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const image::LoadResult result = ReadModifyFile();
    lblStatusReport_->setToolTip(QString::fromStdString(result.message));
    if (LoadFailed(result)) {
        lblStatusReport_->setText(kLoadInvalid);
        return;
    }
    if (FindTableMarker()) {
        ShowTable();
        groupBox9_->setEnabled(true);
        btnSaveBitBin_->setEnabled(true);
        lblStatusReport_->setText(kLoadReady);
    } else {
        lblStatusReport_->setText(kLoadInvalid);
    }
}

void BinFilePage::ShowTable() {
    // A table of another layout has nothing to show, and the resource
    // defaults would pass for its values: the edits are emptied instead
    // (" Save" refuses such a table and says why).
    const auto table = image::ReadTableEdits(modifyImage_.Bytes(), modifyLength_, tableOffset_);
    QString vid;
    QString pid;
    std::array<QString, image::kTableStringCount> strings;
    if (table) {
        vid = TableIdText(table->vendorId);
        pid = TableIdText(table->productId);
        for (std::uint32_t slot = 0; slot < image::kTableStringCount; ++slot)
            strings[slot] = FromLatin1View(table->strings[slot]);
    }
    findChild<LabeledEdit*>(QStringLiteral("labedtNewVID"))->setText(vid);
    findChild<LabeledEdit*>(QStringLiteral("labedtNewPID"))->setText(pid);
    for (std::uint32_t slot = 0; slot < image::kTableStringCount; ++slot)
        findChild<QLineEdit*>(QStringLiteral("edtNewStr%1").arg(slot))->setText(strings[slot]);
}

image::LoadResult BinFilePage::ReadModifyFile() {
    ShowPath(*lblCurrentFilePath_, modifyFilePath_);
    btnCheck_->setEnabled(true);
    // The load replaces the image the flash operations use; its checksum is not shown here.
    image::LoadResult result = image::LoadFirmwareFile(
        context_.firmwareImage, QFile::encodeName(modifyFilePath_).toStdString());
    if (LoadFailed(result)) {
        // The image still holds the earlier file: nothing of it may pass for
        // this one, not even to a later "Check".
        modifyLength_ = 0;
        tableOffset_ = 0;
        return result;
    }
    // A name of no known kind loaded nothing, so this is the earlier image once more.
    const std::uint32_t length = context_.firmwareImage.ImageLength();
    const auto loaded = context_.firmwareImage.Bytes().first(length);
    std::copy(loaded.begin(), loaded.end(), modifyImage_.Bytes().begin());
    modifyLength_ = length;
    return result;
}

bool BinFilePage::FindTableMarker() {
    tableOffset_ = 0;
    const auto found = image::FindTableMarker(modifyImage_.Bytes(), modifyLength_);
    if (found)
        tableOffset_ = *found;
    return found.has_value();
}

void BinFilePage::btnCheckClick() {
    lblSaveDone_->clear();
    if (FindTableMarker())
        groupBox9_->setEnabled(true);
}

void BinFilePage::btnSaveBitBinClick() {
    const QString path = chooseFile_(this, SaveBinFIleDialog());
    if (path.isEmpty())
        return;
    newFilePath_ = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    ShowPath(*lblSaveBinPath_, newFilePath_);
    btnSaveBin_->setEnabled(true);
}

void BinFilePage::CopyBuiltInBlock() {
    image::CopyBuiltInImage(modifyImage_);
    image::CopyBuiltInImage(context_.firmwareImage);
}

}  // namespace pages
