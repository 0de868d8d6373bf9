#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "hex_text.h"
#include "image/firmware_image.h"
#include "image_checks.h"

namespace {

using image::LoadStatus;
using image_test::HexRecordLine;
using image_test::kEndOfFile;

struct FaultCase {
    const char* name;
    std::string text;
    std::string message;  // must appear in the user's message
};

void PrintTo(const FaultCase& fault, std::ostream* out) {
    *out << fault.name;
}

std::string GoodLine() {
    return ":0400000001020304F2\r\n";
}

class HexFault : public ::testing::TestWithParam<FaultCase> {};

// Whatever is wrong, nothing of the file reaches the image and the message
// tells the user where and what.
TEST_P(HexFault, IsRefusedAndLeavesTheImageAlone) {
    image::FirmwareImage image = image_test::PatternedImage(123);
    const image::FirmwareImage before = image;
    const auto result = image_test::LoadHexText(image, GetParam().text);
    EXPECT_EQ(result.status, LoadStatus::Refused);
    EXPECT_EQ(result.checksum, 0);
    EXPECT_NE(result.message.find(GetParam().message), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("fw.hex"), std::string::npos) << result.message;
    EXPECT_TRUE(image_test::SameImage(image, before));
}

INSTANTIATE_TEST_SUITE_P(
    Records, HexFault,
    ::testing::Values(
        FaultCase{
            "WrongChecksum", GoodLine() + ":0400040001020304EF\r\n" + std::string(kEndOfFile),
            "line 2, column 18: the record checksum is EF, but the record's bytes call for EE"},
        FaultCase{"NonHexDigit", ":04000000010G0304F2\r\n",
                  "line 1, column 13: 'G' is not a hexadecimal digit"},
        FaultCase{"BlankInsideARecord", ":0400000001 020304F2\r\n",
                  "line 1, column 12: a blank is not a hexadecimal digit"},
        FaultCase{"ControlCharacter", std::string(":04000000\x01", 10), "the byte 0x01"},
        FaultCase{"CutShortByALineEnd", ":0400000001020304\r\n" + std::string(kEndOfFile),
                  "line 1, column 18: the record is incomplete: it ends after 16 hexadecimal "
                  "digits of the 18 its byte count calls for"},
        FaultCase{"CutShortByTheEndOfFile", GoodLine() + ":10000400010203",
                  "line 2, column 16: the record is incomplete"},
        FaultCase{"HeaderCutShort", GoodLine() + GoodLine() + ":0400\n",
                  "line 3, column 6: the record is incomplete: it ends after 4 hexadecimal digits"},
        FaultCase{"BareColon", ":", "line 1, column 2: the record is incomplete"},
        FaultCase{"UnknownType", GoodLine() + ":00000006FA\r\n",
                  "line 2, column 8: unknown record type 06"},
        FaultCase{"EndOfFileWithData", HexRecordLine(0x01, 0, {0xAA}),
                  "a record of type 01 must carry 0 data bytes, not 1"},
        FaultCase{"ShortLinearBase", HexRecordLine(0x04, 0, {0x00}),
                  "a record of type 04 must carry 2 data bytes, not 1"},
        FaultCase{"LongSegmentBase", HexRecordLine(0x02, 0, {0x00, 0x10, 0x00}),
                  "a record of type 02 must carry 2 data bytes, not 3"},
        FaultCase{"ShortStartAddress", HexRecordLine(0x05, 0, {0x00, 0x10}),
                  "a record of type 05 must carry 4 data bytes, not 2"},
        FaultCase{"TextBetweenRecords", GoodLine() + "hello\r\n" + std::string(kEndOfFile),
                  "line 2, column 1: text outside a record"},
        FaultCase{"LineWithoutColon", "0400000001020304F2\r\n" + std::string(kEndOfFile),
                  "line 1, column 1: text outside a record"},
        FaultCase{"DigitsAfterTheChecksum", ":0400000001020304F2AB\r\n",
                  "line 1, column 20: text outside a record"},
        FaultCase{"CutOffAtALineEnd", GoodLine() + GoodLine(),
                  "the file ends without its end-of-file record; it may be incomplete"},
        FaultCase{"NoRecordsAtAll", " \r\n\r\n", "holds no Intel HEX records"},
        FaultCase{"EmptyFile", "", "holds no Intel HEX records"},
        FaultCase{"OnlyTheEndRecord", std::string(kEndOfFile), "holds no data"},
        FaultCase{"OnlyAnAddressRecord",
                  image_test::LinearBaseLine(0x0001) + std::string(kEndOfFile), "holds no data"}),
    [](const auto& info) { return std::string(info.param.name); });

// A file must say one thing for every address it names, and end where its
// end-of-file record stands: otherwise one of its records is silently lost.
INSTANTIATE_TEST_SUITE_P(
    Ambiguous, HexFault,
    ::testing::Values(
        FaultCase{"OverlapWithOtherData",
                  GoodLine() + HexRecordLine(0, 0x0002, {0x03, 0x05}) + std::string(kEndOfFile),
                  "line 2, column 12: data at address 0x00003 (0x05) overlaps line 1, which put "
                  "0x04 there"},
        FaultCase{"TwoFilesJoined", GoodLine() + std::string(kEndOfFile) + "\r\n" + GoodLine(),
                  "line 4, column 1: a record after the end-of-file record of line 2"},
        FaultCase{"TextAfterTheEnd", GoodLine() + std::string(kEndOfFile) + "  x",
                  "line 3, column 3: text after the end-of-file record of line 2"}),
    [](const auto& info) { return std::string(info.param.name); });

// The reason stands on its own beside the file's name, word for word.
TEST(HexFaultReason, AMissingEndOfFileRecordIsNamedExactly) {
    image::FirmwareImage image;
    const auto result = image_test::LoadHexText(image, GoodLine());
    EXPECT_EQ(result.reason, "the file ends without its end-of-file record; it may be incomplete");
}

INSTANTIATE_TEST_SUITE_P(
    BeyondTheImage, HexFault,
    ::testing::Values(
        FaultCase{"LinearBase", image_test::LinearBaseLine(0x0004) + HexRecordLine(0, 0, {0x01}),
                  "line 2: data at address 0x40000 lies beyond the end of the 256 KiB firmware "
                  "image (0x3FFFF)"},
        FaultCase{"SegmentBase", image_test::SegmentBaseLine(0x4000) + HexRecordLine(0, 0, {0x01}),
                  "data at address 0x40000"},
        FaultCase{"RecordCrossingTheEnd",
                  GoodLine() + image_test::LinearBaseLine(0x0003) +
                      HexRecordLine(0, 0xFFF8, std::vector<std::uint8_t>(16, 0x5A)),
                  "line 3: data at address 0x40000"},
        FaultCase{"FarLinearBase",
                  image_test::LinearBaseLine(0xFFFF) + HexRecordLine(0, 0xFFFF, {0x01, 0x02}),
                  "data at address 0xFFFFFFFF"},
        FaultCase{"HighSegment",
                  image_test::SegmentBaseLine(0xFFFF) + HexRecordLine(0, 0xFFFF, {0x01}),
                  "data at address 0x10FFEF"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
