// Writes the demo firmware files we ship into a data folder:
//   built_in_image.bin         the block the program carries (V1.00, 32 KiB)
//   demo/PaleReed_f066.hex     the update file for the Pale Reed F066 (V1.01, 48 KiB)
// Usage: make_demo_firmware <data-folder>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "demo_firmware.h"
#include "intel_hex_writer.h"

namespace {

void WriteFile(const std::filesystem::path& path, const char* data, std::size_t size) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data-folder>\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path folder = argv[1];
        const auto builtIn = tools::MakeDemoFirmware({0x8000, "V1.00", 0x51A7E001});
        WriteFile(folder / "built_in_image.bin", reinterpret_cast<const char*>(builtIn.data()),
                  builtIn.size());
        const auto update = tools::MakeDemoFirmware({0xC000, "V1.01", 0x51A7E002});
        const std::string hex = tools::WriteIntelHex(update);
        WriteFile(folder / "demo" / "PaleReed_f066.hex", hex.data(), hex.size());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_demo_firmware: %s\n", error.what());
        return 1;
    }
    return 0;
}
