// check: a file on its own, before any device is there: whether it loads
// (every HEX record), whether it fits the flash parts the products carry,
// and the parameter table that says which product it is for.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>

#include "cli/commands.h"
#include "cli/firmware_input.h"
#include "cli/json_line.h"
#include "image/checksum.h"
#include "image/table_marker.h"
#include "product/file_match.h"
#include "product/flash_part.h"
#include "product/table_product.h"

namespace cli {
namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// "Pale Reed F066", "f066" or "PaleReed_f066", in any case.
const product::ProductRow* ProductNamed(const std::string& name) {
    const std::string wanted = Lower(name);
    for (const product::ProductRow& row : product::productTable) {
        char pid[8];
        std::snprintf(pid, sizeof pid, "%04x", row.pid);
        if (wanted == Lower(row.displayName) || wanted == pid || wanted == Lower(row.fileBaseName))
            return &row;
    }
    return nullptr;
}

std::string CheckHex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

struct Findings {
    std::optional<std::uint32_t> tableOffset;
    const product::ProductRow* ofFile = nullptr;
    std::vector<std::string> tooLargeFor;  // known parts the image does not fit
};

Findings Examine(const image::FirmwareImage& image) {
    Findings found;
    found.tableOffset = image::FindTableMarker(image.Defined(), image.ImageLength());
    found.ofFile = product::ProductOfTable(image.Defined());
    for (const product::FlashPart& part : product::KnownFlashParts()) {
        if (image.ImageLength() > part.capacity)
            found.tooLargeFor.push_back(part.model);
    }
    return found;
}

void PrintCheckText(std::ostream& out, const std::string& file, const image::FirmwareImage& image,
                    const Findings& found) {
    out << "File:     " << file << ", " << image.ImageLength() << " bytes, checksum "
        << CheckHex(image::ImageChecksum(image), 4) << "\n";
    out << "Table:    "
        << (found.tableOffset
                ? "at " + CheckHex(*found.tableOffset, 6) + ", " +
                      (found.ofFile != nullptr ? "for " + std::string(found.ofFile->displayName)
                                               : std::string("names no known product"))
                : std::string("none"))
        << "\n";
    std::string parts;
    for (const std::string& part : found.tooLargeFor)
        parts += (parts.empty() ? "" : ", ") + part;
    out << "Flash:    " << (parts.empty() ? "fits every known part" : "too large for " + parts)
        << "\n";
}

void PrintCheckJson(std::ostream& out, const image::FirmwareImage& image, const Findings& found) {
    std::string parts;
    for (const std::string& part : found.tooLargeFor)
        parts += (parts.empty() ? "" : ",") + JsonString(part);
    out << JsonLine()
               .Text("event", "check")
               .Number("image_length", image.ImageLength())
               .Text("checksum", CheckHex(image::ImageChecksum(image), 4))
               .OptionalText("table_offset", found.tableOffset
                                                 ? std::optional(CheckHex(*found.tableOffset, 6))
                                                 : std::nullopt)
               .OptionalText("table_product",
                             found.ofFile != nullptr
                                 ? std::optional<std::string>(found.ofFile->displayName)
                                 : std::nullopt)
               .Raw("too_large_for", "[" + parts + "]")
               .Line();
}

// The file is what `update` would accept for the product: for the one asked
// for, or, without --product, for the product its own table names.
Outcome Verdict(const std::string& file, const image::FirmwareImage& image,
                const product::ProductRow* asked, const Findings& found) {
    const product::FileCheck check = product::CheckFileFor(image.Defined(), asked);
    if (check.fit == product::FileFit::NoTable) {
        return Outcome{kExitFileRefused,
                       "'" + file +
                           "' holds no parameter table, so nothing says which "
                           "product it is for; update refuses it without --force"};
    }
    if (check.fit == product::FileFit::OtherProduct) {
        return Outcome{
            kExitFileRefused,
            "'" + file + "' is " +
                (found.ofFile != nullptr ? "firmware for " + std::string(found.ofFile->displayName)
                                         : std::string("firmware for no product this tool knows")) +
                ", not for " + std::string(asked->displayName)};
    }
    const product::ProductRow* product = asked != nullptr ? asked : found.ofFile;
    return Outcome{kExitDone, "'" + file + "' is a valid image" +
                                  (product != nullptr ? " for " + std::string(product->displayName)
                                                      : std::string())};
}

}  // namespace

Outcome RunCheck(const CliOptions& options, Environment& env) {
    const std::string& file = *options.file;
    const product::ProductRow* asked = nullptr;
    if (options.product) {
        asked = ProductNamed(*options.product);
        if (asked == nullptr) {
            std::string names;
            for (const product::ProductRow& row : product::productTable)
                names += (names.empty() ? "" : ", ") + std::string(row.displayName);
            return Outcome{kExitUsage, "--product names no known product: '" + *options.product +
                                           "' (" + names + ")"};
        }
    }
    image::FirmwareImage image;
    if (auto refused = LoadUpdateFile(file, image)) {
        refused->unit.file = file;
        return *refused;
    }
    const Findings found = Examine(image);
    if (options.json)
        PrintCheckJson(env.out, image, found);
    else
        PrintCheckText(env.out, file, image, found);
    Outcome outcome = Verdict(file, image, asked, found);
    outcome.unit.SetImage(file, image.Defined());
    if (const product::ProductRow* product = asked != nullptr ? asked : found.ofFile) {
        char vidPid[16];
        std::snprintf(vidPid, sizeof vidPid, "%04x:%04x", product->vid, product->pid);
        outcome.unit.product = std::string(product->displayName);
        outcome.unit.vidPid = vidPid;
    }
    return outcome;
}

}  // namespace cli
