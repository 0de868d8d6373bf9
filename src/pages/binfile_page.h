#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "image/firmware_image.h"
#include "image/load_result.h"
#include "image/parameter_table_edit.h"
#include "pages/file_chooser.h"
#include "pages/page_context.h"

namespace pages {

// The "Gen. Bin File" page: loads a firmware file into a working copy of the
// image, finds the parameter table in it by its marker, and collects the new
// product parameters and the new file's name. " Save" writes the working copy
// with the new parameters in its table to the new file; the firmware image
// the flash operations use is never touched by it.
class BinFilePage : public QWidget {
    Q_OBJECT

public:
    explicit BinFilePage(PageContext& context, QWidget* parent = nullptr);

    // The file dialogs; tests answer them without a modal dialog.
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    void CurrentFileBitBtnClick();
    void btnCheckClick();
    void btnSaveBitBinClick();
    // Also the ISP page's " Save".
    void btnSaveBinClick();
    // Start-up: the built-in block into the working copy and the firmware image.
    void CopyBuiltInBlock();

    // Loads the chosen file into the firmware image and the working copy. A
    // file that cannot be opened or is refused leaves nothing to search: the
    // working copy's length becomes 0.
    image::LoadResult ReadModifyFile();
    bool FindTableMarker();

    const image::FirmwareImage& ModifyImage() const { return modifyImage_; }
    std::uint32_t ModifyLength() const { return modifyLength_; }
    std::uint32_t TableOffset() const { return tableOffset_; }
    const QString& ModifyFilePath() const { return modifyFilePath_; }
    const QString& NewFilePath() const { return newFilePath_; }

private:
    QWidget* BuildSource();
    QWidget* BuildNewSetting();
    QWidget* BuildTarget();
    // The seven edits show what the loaded file's table holds, so that an
    // untouched " Save" gives back the file as it was.
    void ShowTable();
    // The seven edits as table values; refuses (with a box naming the field)
    // and returns nothing when one does not fit.
    std::optional<image::TableEdits> CollectEdits();
    bool WriteNewFile(const image::TableEdits& edits);
    void Refuse(const QString& text);

    PageContext& context_;
    FileChooser chooseFile_ = ChooseWithDialog;
    image::FirmwareImage modifyImage_;
    std::uint32_t modifyLength_ = 0;
    std::uint32_t tableOffset_ = 0;
    QString modifyFilePath_;
    QString newFilePath_;

    QPushButton* currentFileBitBtn_;
    QLabel* lblCurrentFilePath_;
    QPushButton* btnCheck_;
    QLabel* lblStatusReport_;
    QLabel* lblSaveDone_;
    QGroupBox* groupBox9_;
    QPushButton* btnSaveBitBin_;
    QLabel* lblSaveBinPath_;
    QPushButton* btnSaveBin_;
};

}  // namespace pages
