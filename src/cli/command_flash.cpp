// verify and read: flash content without writing it.

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

#include "cli/commands.h"
#include "cli/firmware_input.h"
#include "cli/progress_view.h"
#include "cli/session.h"
#include "product/isp_flash_access.h"

namespace cli {
namespace {

std::string HexText(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::optional<Outcome> ChooseAndAim(Session& session, product::ListedDevice& device) {
    if (auto refused = session.Choose(device))
        return refused;
    return session.Aim(device);
}

// The unit as the log records it; its serial is asked while the product
// still runs its firmware, before the flash is read in ISP mode.
UnitRecord UnitRead(Session& session, const product::ListedDevice& device) {
    UnitRecord unit;
    unit.SetDevice(device);
    unit.serial = Session::SerialOf(session.MainLink(), device);
    return unit;
}

Outcome ReadFailed(const ProgressView& progress) {
    Outcome outcome{kExitFailed, "reading the flash failed"};
    outcome.cause = progress.FailureText();
    outcome.address = progress.LastAddress();
    if (!outcome.cause->empty())
        outcome.message += " (" + *outcome.cause + ")";
    return outcome;
}

Outcome CannotWrite(const std::filesystem::path& out, const std::string& reason) {
    return Outcome{kExitFileRefused, "cannot write '" + out.string() + "': " + reason};
}

// The output of read must be a regular file that may be written, or a new
// name in a folder that takes one (the partial file beside it finds that out).
// Anything else (a folder, a device) would be replaced by the rename.
std::optional<Outcome> CheckOutput(const std::filesystem::path& out) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(out, error);
    if (status.type() == fs::file_type::not_found)
        return std::nullopt;
    if (error)
        return CannotWrite(out, error.message());
    if (fs::is_directory(status))
        return CannotWrite(out, std::make_error_code(std::errc::is_a_directory).message());
    if (!fs::is_regular_file(status))
        return CannotWrite(out, "not a regular file");
    errno = 0;
    // Opened for update, not truncated: a refused read leaves the file as it was.
    if (std::FILE* existing = std::fopen(out.string().c_str(), "r+b")) {
        std::fclose(existing);
        return std::nullopt;
    }
    return CannotWrite(out, std::generic_category().message(errno));
}

Outcome Compare(const product::FlashRead& read, const image::FirmwareImage& image,
                const std::string& file, const ProgressView& progress) {
    if (read.partTooSmall) {
        return Outcome{kExitFileRefused, "'" + file + "' (" + std::to_string(image.ImageLength()) +
                                             " bytes) is larger than the flash (" +
                                             std::to_string(read.part.capacity) +
                                             " bytes); nothing was read"};
    }
    if (!read.ok)
        return ReadFailed(progress);
    const auto diff = product::FirstDifference(read.bytes, image.Defined());
    if (!diff)
        return Outcome{kExitDone, "The flash matches '" + file + "' (" +
                                      std::to_string(image.ImageLength()) + " bytes)."};
    Outcome outcome{kExitFailed, "The flash differs from '" + file + "' first at " +
                                     HexText(*diff, 6) + ": the flash holds " +
                                     HexText(read.bytes[*diff], 2) + ", the file " +
                                     HexText(image.Defined()[*diff], 2) + "."};
    outcome.address = *diff;
    outcome.cause = "content differs";
    return outcome;
}

Outcome WithUnit(Outcome outcome, UnitRecord unit, const product::FlashRead& read) {
    if (!read.part.model.empty())
        unit.flashPart = read.part.model;
    outcome.unit = std::move(unit);
    return outcome;
}

}  // namespace

Outcome RunVerify(Session& session) {
    const std::string& file = *session.Options().file;
    image::FirmwareImage image;
    if (auto refused = LoadUpdateFile(file, image)) {
        refused->unit.file = file;
        return *refused;
    }
    product::ListedDevice device;
    if (auto refused = ChooseAndAim(session, device))
        return *refused;
    UnitRecord unit = UnitRead(session, device);
    unit.SetImage(file, image.Defined());
    const auto progress = session.MakeProgress();
    progress->ShowStep("Verifying");
    const product::FlashRead read =
        product::ReadFlashContent(session.Link(), image.ImageLength(), *progress,
                                  product::AfterRead::LeaveIsp, product::SmallerPart::Refuse);
    progress->Finish();
    return WithUnit(Compare(read, image, file, *progress), std::move(unit), read);
}

Outcome RunRead(Session& session) {
    const std::filesystem::path out = *session.Options().file;
    // Found out before the first request: a whole flash read only to learn
    // that it has nowhere to go would waste the run.
    if (auto refused = CheckOutput(out))
        return *refused;
    // Written beside the target and renamed at the end, so a failed read
    // never leaves a half-filled file under the asked-for name.
    const std::filesystem::path partial = out.string() + ".part";
    errno = 0;
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    if (!file)
        return CannotWrite(out, std::generic_category().message(errno));
    product::ListedDevice device;
    if (auto refused = ChooseAndAim(session, device)) {
        std::filesystem::remove(partial);
        return *refused;
    }
    UnitRecord unit = UnitRead(session, device);
    const auto progress = session.MakeProgress();
    progress->ShowStep("Reading");
    const product::FlashRead read = product::ReadFlashContent(
        session.Link(), session.Options().length.value_or(product::kMaxReadLength), *progress);
    progress->Finish();
    if (read.ok) {
        file.write(reinterpret_cast<const char*>(read.bytes.data()),
                   static_cast<std::streamsize>(read.bytes.size()));
    }
    file.close();
    std::error_code error;
    if (!read.ok || !file) {
        std::filesystem::remove(partial, error);
        return WithUnit(
            read.ok ? CannotWrite(out, "the data could not be written") : ReadFailed(*progress),
            std::move(unit), read);
    }
    std::filesystem::rename(partial, out, error);
    if (error) {
        std::filesystem::remove(partial, error);
        return WithUnit(CannotWrite(out, error.message()), std::move(unit), read);
    }
    // The digest of what was read: a backup can be checked against the log.
    unit.SetImage(out.string(), read.bytes);
    return WithUnit(Outcome{kExitDone, "Read " + std::to_string(read.bytes.size()) + " bytes of " +
                                           read.part.model + " into '" + out.string() + "'."},
                    std::move(unit), read);
}

}  // namespace cli
