#include "pages/register_page.h"

#include "chip/registers.h"

namespace pages {

namespace {

ByteTableSetup RegisterTableSetup() {
    return {
        .pageName = QStringLiteral("TabSheet1"),
        .title = QStringLiteral("Register"),
        .gridName = QStringLiteral("RegStringGrid1"),
        .readButtonName = QStringLiteral("btnReadAll"),
        .readCaption = QStringLiteral("Read Bank"),
        .addressLabelName = QStringLiteral("lblRegAddr"),
        .dataLabelName = QStringLiteral("lblRegData"),
        .bitPanelName = QStringLiteral("Panel2"),
        .bitNumbersName = QStringLiteral("Label1"),
        .bitBoxPrefix = QStringLiteral("chkBit"),
        .statusLabelName = QStringLiteral("lblRegStatus"),
        .bitWriteSettleMs = 3,
        .stepFrom = ByteTableSetup::StepFrom::Shadow,
        .closeLinkAfterCaption = false,
    };
}

}  // namespace

RegisterPage::RegisterPage(PageContext& context, QWidget* parent)
    : ByteTablePage(context, RegisterTableSetup(), parent) {
    ConnectHandlers({.readClick = [this] { btnReadAllClick(); },
                     .keyDown = [this](int key) { RegStringGridKeyDown(key); },
                     .selectCell = [this](int col, int row) { RegStringGridSelectCell(col, row); },
                     .bitBoxMouseUp = [this] { chkBit0MouseUp(); }});
}

void RegisterPage::btnReadAllClick() {
    ReadTableClick();
}

void RegisterPage::RegStringGridKeyDown(int key) {
    TableKeyDown(key);
}

void RegisterPage::RegStringGridSelectCell(int col, int row) {
    TableSelectCell(col, row);
}

void RegisterPage::chkBit0MouseUp() {
    BitBoxMouseUp();
}

bool RegisterPage::ReadRegister(std::uint8_t reg, std::uint8_t& value) {
    return chip::RegRead(context_.usbLink, reg, value);
}

bool RegisterPage::WriteRegister(std::uint8_t reg, std::uint8_t value) {
    return chip::RegWrite(context_.usbLink, reg, value);
}

std::uint8_t& RegisterPage::Shadow(std::uint8_t reg) {
    return regShadow_[currentBank_ * kBankSize + reg];
}

}  // namespace pages
