#pragma once

#include <cstdint>

#include "flash/range.h"

namespace flash {

// The check boxes of the "Auto" run.
enum class AutoOption {
    IspMode,     // chkISPMode
    Erase,       // chkErase
    Blank,       // chkBlank
    Program,     // chkProgram
    Verify,      // chkVerify
    Protect,     // chkProtect
    ReloadFile,  // chkReadFile
    // chkChangedOnly: with "All", the erase, blank check, program and verify
    // give way to the sector-wise update of the changed sectors
    // (WriteChangedSectors), which verifies the whole image itself.
    ChangedOnly,
};

// What the "Auto" run asks of the window, each at the moment its step comes
// up, since the window keeps processing events (and the user keeps clicking)
// while the run goes on.
class AutoRunHost {
public:
    virtual ~AutoRunHost() = default;
    virtual bool IsTicked(AutoOption option) = 0;
    // cbxReadISPFile's text becomes programFilePath when it differs, then the
    // program file is read again. False when a named file could not be
    // loaded: the run must then not write an image the user did not choose.
    virtual bool ReloadProgramFile() = 0;
    // firmwareImage and imageLength as they stand now.
    virtual ImageView Image() = 0;
    virtual bool IsWholeFlashSelected() = 0;  // rbnRange0 ("All")
    // The "Assign Range" edits in KB. A text that is not a decimal number
    // throws the window's conversion error, and a number outside the flash an
    // error of its own; the run has sent nothing by then.
    virtual std::uint32_t RangeStartKb() = 0;
    virtual std::uint32_t RangeSizeKb() = 0;
};

}  // namespace flash
