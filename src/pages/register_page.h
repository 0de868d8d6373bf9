#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <cstdint>

#include "pages/page_context.h"

namespace pages {

class BitBoxRow;
class StringGrid;

// The "Register" page: the chip's 256 registers as a 16 x 16 table that is read
// whole or cell by cell, and written by value, by a step up or down, or bit by
// bit. Every write is read back, and the table shows what the chip answered.
class RegisterPage : public QWidget {
    Q_OBJECT

public:
    static constexpr int kBanks = 10;
    static constexpr int kBankSize = 256;

    explicit RegisterPage(PageContext& context, QWidget* parent = nullptr);

    // Start-up: the hexadecimal row and column headings of the table.
    void FillGridHeadings();

    // Handlers.
    void btnReadAllClick();
    void RegStringGridKeyDown(int key);
    void RegStringGridSelectCell(int col, int row);
    void chkBit0MouseUp();

    bool ReadRunning() const { return readRunning_; }
    const std::array<std::uint8_t, kBanks * kBankSize>& RegShadow() const { return regShadow_; }

private:
    void BuildLayout();
    void ReadBank();
    std::uint8_t CurrentAddress() const;
    std::uint8_t& Shadow(std::uint8_t address);
    void ReadIntoShadow(std::uint8_t address);
    void WriteAndReadBack(std::uint8_t address, std::uint32_t settleMs);
    void ShowCurrentValue(std::uint8_t address);
    void ShowLabels(std::uint8_t address);

    PageContext& context_;
    std::array<std::uint8_t, kBanks * kBankSize> regShadow_{};
    std::uint8_t currentBank_ = 0;
    bool readRunning_ = false;

    QPushButton* btnReadAll_;
    StringGrid* grid_;
    QLabel* lblRegAddr_;
    QLabel* lblRegData_;
    BitBoxRow* bits_;
};

}  // namespace pages
