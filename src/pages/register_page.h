#pragma once

#include <QWidget>
#include <array>
#include <cstddef>
#include <cstdint>

#include "pages/byte_table_page.h"

namespace pages {

// The "Register" page: the chip's 256 registers, in whatever bank register
// 0x00 selects at the time, through the chip's own register requests.
class RegisterPage : public ByteTablePage {
    Q_OBJECT

public:
    static constexpr int kBanks = 10;
    static constexpr int kBankSize = 256;
    static constexpr std::size_t kShadowSize = std::size_t{kBanks} * kBankSize;

    explicit RegisterPage(PageContext& context, QWidget* parent = nullptr);

    void btnReadAllClick();
    void RegStringGridKeyDown(int key);
    void RegStringGridSelectCell(int col, int row);
    void chkBit0MouseUp();

    const std::array<std::uint8_t, kShadowSize>& RegShadow() const { return regShadow_; }

private:
    bool ReadRegister(std::uint8_t reg, std::uint8_t& value) override;
    bool WriteRegister(std::uint8_t reg, std::uint8_t value) override;
    std::uint8_t& Shadow(std::uint8_t reg) override;

    // Laid out for every bank, though the page never leaves bank 0 of it: the
    // bank goes to the chip through register 0x00, not with each request.
    std::array<std::uint8_t, kShadowSize> regShadow_{};
    std::uint8_t currentBank_ = 0;
};

}  // namespace pages
