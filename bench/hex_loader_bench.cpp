// Host cost of loading a whole 256 KiB Intel HEX file (16-byte records under
// type 04 bases), from a file on disk as the tool reads it. A loader whose
// work grows with the square of the file shows here, not as a timed test.

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdint>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "image/firmware_image.h"
#include "image/hex_loader.h"

namespace {

std::string HexRecord(std::uint8_t type, std::uint16_t address, const std::uint8_t* data,
                      int count) {
    char field[16];
    std::uint8_t sum = static_cast<std::uint8_t>(count + (address >> 8) + (address & 0xFF) + type);
    std::snprintf(field, sizeof field, ":%02X%04X%02X", count, address, type);
    std::string line = field;
    for (int i = 0; i < count; ++i) {
        std::snprintf(field, sizeof field, "%02X", data[i]);
        line += field;
        sum = static_cast<std::uint8_t>(sum + data[i]);
    }
    std::snprintf(field, sizeof field, "%02X\r\n", static_cast<std::uint8_t>(-sum));
    return line + field;
}

std::string FullImageHex() {
    std::string text;
    std::uint8_t record[16];
    std::uint32_t state = 42;
    for (std::uint32_t address = 0; address < image::kImageSize; address += sizeof record) {
        if (address % 0x10000 == 0) {
            const std::uint8_t base[2] = {0, static_cast<std::uint8_t>(address >> 16)};
            text += HexRecord(4, 0, base, 2);
        }
        for (auto& byte : record) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<std::uint8_t>(state >> 24);
        }
        text += HexRecord(0, static_cast<std::uint16_t>(address), record, sizeof record);
    }
    return text + ":00000001FF\r\n";
}

void LoadFullImageHex(benchmark::State& state) {
    char path[] = "/tmp/palereed-hex-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        state.SkipWithError("no temporary file");
        return;
    }
    close(fd);
    std::ofstream(path, std::ios::binary) << FullImageHex();
    image::FirmwareImage firmware;
    for (auto _ : state) {
        const auto result = image::LoadHexFile(firmware, path);
        if (!result.Loaded())
            state.SkipWithError(result.message.c_str());
        benchmark::DoNotOptimize(firmware);
    }
    std::remove(path);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image::kImageSize));
}
BENCHMARK(LoadFullImageHex)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
