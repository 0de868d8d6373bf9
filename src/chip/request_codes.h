#pragma once

#include <cstdint>

namespace chip {

// bmRequestType of every chip command: vendor request, recipient "other".
inline constexpr std::uint8_t kTypeOut = 0x43;
inline constexpr std::uint8_t kTypeIn = 0xC3;

// bRequest codes; this is the complete set the tool uses.
inline constexpr std::uint8_t kRequestFlashInstruction = 0x80;
inline constexpr std::uint8_t kRequestFlashReadBackInstruction = 0x81;
inline constexpr std::uint8_t kRequestFlashFetch = 0x82;
inline constexpr std::uint8_t kRequestFlashReady = 0x83;
inline constexpr std::uint8_t kRequestEnterIsp = 0x84;
inline constexpr std::uint8_t kRequestLeaveIsp = 0x85;
inline constexpr std::uint8_t kRequestRegWrite = 0x90;
inline constexpr std::uint8_t kRequestRegRead = 0x91;

// Index of a flash-instruction request: whether its bytes end the instruction
// or a further request continues it (the page program's data follows its header).
inline constexpr std::uint16_t kInstructionContinues = 0;
inline constexpr std::uint16_t kInstructionEnds = 1;

// The fixed 16-bit keys of the ISP mode switch (value, index).
inline constexpr std::uint16_t kEnterIspValue = 0x3B92;
inline constexpr std::uint16_t kEnterIspIndex = 0x4E71;
inline constexpr std::uint16_t kLeaveIspValue = 0x29E6;
inline constexpr std::uint16_t kLeaveIspIndex = 0x1A9D;

// Register banks and registers the tool touches.
inline constexpr std::uint16_t kRegBankSelect = 0x00;
inline constexpr std::uint8_t kBankMailbox = 0x00;
inline constexpr std::uint8_t kBankIspControl = 0x0D;
inline constexpr std::uint8_t kBankI2cMaster = 0x0E;

inline constexpr std::uint16_t kRegIspControl1 = 0x01;  // bank 13: 0x03 on entering
inline constexpr std::uint16_t kRegIspControl7 =
    0x07;  // bank 13: 0x10 on entering, 0x00 on leaving
inline constexpr std::uint8_t kIspControl1Enter = 0x03;
inline constexpr std::uint8_t kIspControl7Enter = 0x10;
inline constexpr std::uint8_t kIspControl7Leave = 0x00;

inline constexpr std::uint16_t kRegI2cControl = 0x10;  // bank 14: control (write) / status (read)
inline constexpr std::uint16_t kRegI2cSetup = 0x11;    // bank 14: 0x04 when the I2C page is shown
inline constexpr std::uint16_t kRegI2cTxData = 0x12;
inline constexpr std::uint16_t kRegI2cRxData = 0x13;
inline constexpr std::uint16_t kRegI2cTransfer = 0x14;

inline constexpr std::uint16_t kRegMailboxCommand = 0x90;  // bank 0
inline constexpr std::uint16_t kRegMailboxSelector = 0x91;
inline constexpr std::uint16_t kRegMailboxArgument = 0x92;
inline constexpr std::uint16_t kRegMailboxData = 0x93;  // 0x93 .. 0x9A
inline constexpr std::uint8_t kMailboxDataCount = 8;
inline constexpr std::uint16_t kRegStatus0 = 0xA4;  // bank 0: rate index
inline constexpr std::uint16_t kRegStatus1 = 0xA5;
inline constexpr std::uint16_t kRegStatus2 = 0xA6;  // connection, DSD, mute

// I2C master control and status values.
inline constexpr std::uint8_t kI2cStart = 0xC0;
inline constexpr std::uint8_t kI2cStop = 0xA0;
inline constexpr std::uint8_t kI2cAck = 0x80;
inline constexpr std::uint8_t kI2cNack = 0x90;
inline constexpr std::uint8_t kI2cSend = 0x01;
inline constexpr std::uint8_t kI2cReceive = 0x03;
inline constexpr std::uint8_t kI2cStatusDone = 0x01;
inline constexpr std::uint8_t kI2cStatusNoAck = 0x08;
inline constexpr std::uint8_t kI2cSetupValue = 0x04;

// Mailbox commands and answers.
inline constexpr std::uint8_t kMailboxParamCommand = 0x10;
inline constexpr std::uint8_t kMailboxParamDone = 0xEE;
inline constexpr std::uint8_t kMailboxIdle = 0x00;      // written back after a parameter write
inline constexpr std::uint8_t kSelectorReadBit = 0x01;  // selector bit 0: read from the chip
inline constexpr std::uint8_t kMailboxHidCommand = 0x30;
inline constexpr std::uint8_t kMailboxHidDone = 0x31;

// SPI flash instructions sent through the pass-through engine.
inline constexpr std::uint8_t kFlashWriteStatus = 0x01;
inline constexpr std::uint8_t kFlashPageProgram = 0x02;
inline constexpr std::uint8_t kFlashRead = 0x03;
inline constexpr std::uint8_t kFlashWriteDisable = 0x04;
inline constexpr std::uint8_t kFlashReadStatus = 0x05;
inline constexpr std::uint8_t kFlashWriteEnable = 0x06;
inline constexpr std::uint8_t kFlashSectorErase = 0x20;
inline constexpr std::uint8_t kFlashReadId = 0x9F;
inline constexpr std::uint8_t kFlashWordProgram = 0xAD;
inline constexpr std::uint8_t kFlashChipErase = 0xC7;

inline constexpr std::uint8_t kFlashStatusBusy = 0x01;
inline constexpr std::uint8_t kFlashStatusWriteEnabled = 0x02;

}  // namespace chip
