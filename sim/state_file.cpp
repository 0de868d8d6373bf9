#include "sim/state_file.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace sim {
namespace {

constexpr const char* kMagic = "PALEREED-SIM-STATE";
constexpr std::size_t kRegisterBytes = std::size_t{256} * 256;
constexpr std::size_t kMaxHeaderLines = 64;

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    char pair[3];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

std::string Hex16(std::uint16_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

bool FromHex(const std::string& text, std::uint8_t* out, std::size_t count) {
    if (text.size() != count * 2)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned value = 0;
        if (std::sscanf(text.c_str() + 2 * i, "%2x", &value) != 1)
            return false;
        out[i] = static_cast<std::uint8_t>(value);
    }
    return true;
}

bool Number(const std::string& text, int base, std::uint64_t& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    out = std::strtoull(text.c_str(), &end, base);
    return *end == '\0';
}

std::optional<FlashModel> ModelNamed(const std::string& name) {
    for (FlashModel model : {FlashModel::Sst25vf016b, FlashModel::Mx25l1021e, FlashModel::W25q80}) {
        if (name == DatasheetFor(model).name)
            return model;
    }
    return std::nullopt;
}

void WriteHeader(std::ostream& out, const ProductState& state) {
    const ParamStore& params = state.params;
    out << kMagic << ' ' << kStateFileVersion << '\n'
        << "flash " << DatasheetFor(state.flash).name << '\n'
        << "flash-size " << state.flashContents.size() << '\n'
        << "product " << Hex16(state.product.vid) << ':' << Hex16(state.product.pid) << '\n'
        << "isp-vid " << Hex16(state.ispVid) << '\n';
    if (state.startedInIsp)
        out << "started-in-isp " << (*state.startedInIsp ? "yes" : "no") << '\n';
    out << "flash-status " << Hex(&state.flashStatus, 1) << '\n'
        << "param-vid " << Hex(reinterpret_cast<const std::uint8_t*>(params.Vid().data()), 4)
        << '\n'
        << "param-pid " << Hex(reinterpret_cast<const std::uint8_t*>(params.Pid().data()), 4)
        << '\n';
    for (int which = 1; which <= 3; ++which) {
        const ParamStore::Packet packet = params.StringPacket(which);
        out << "param-string" << which << ' ' << Hex(packet.data(), packet.size()) << '\n';
    }
    const auto system = params.SysSetting();
    out << "param-system " << Hex(system.data(), system.size()) << '\n';
    out << "volatile " << (state.volatileState ? "yes" : "no") << '\n';
    if (const auto& v = state.volatileState) {
        out << "firmware-running " << (v->firmwareRunning ? "yes" : "no") << '\n'
            << "isp-mode " << (v->ispMode ? "yes" : "no") << '\n'
            << "bank " << Hex(&v->bank, 1) << '\n'
            << "flash-busy-us " << v->flash.busyRemainingUs << '\n'
            << "flash-aai ";
        if (v->flash.aaiActive) {
            char address[8];
            std::snprintf(address, sizeof address, "%06x", v->flash.aaiAddress);
            out << address << '\n';
        } else {
            out << "none\n";
        }
    }
    out << "end\n";
}

using Header = std::map<std::string, std::string>;

// The header lines after the magic line, up to "end".
bool ReadHeader(std::istream& in, Header& header, std::string& why) {
    std::string line;
    for (std::size_t n = 0; n < kMaxHeaderLines && std::getline(in, line); ++n) {
        if (line == "end")
            return true;
        const std::size_t blank = line.find(' ');
        if (blank == std::string::npos) {
            why = "the header line \"" + line + "\" has no value";
            return false;
        }
        header[line.substr(0, blank)] = line.substr(blank + 1);
    }
    why = "its header has no \"end\" line";
    return false;
}

class HeaderReader {
public:
    HeaderReader(const Header& header, std::string& why) : header_(header), why_(why) {}

    bool Has(const std::string& key) const { return header_.contains(key); }
    const std::string* Text(const std::string& key) {
        const auto it = header_.find(key);
        if (it != header_.end())
            return &it->second;
        Fail("the header has no \"" + key + "\" line");
        return nullptr;
    }
    bool HexBytes(const std::string& key, std::uint8_t* out, std::size_t count) {
        const std::string* text = Text(key);
        return text != nullptr &&
               (FromHex(*text, out, count) || Fail("the value of \"" + key + "\" is not " +
                                                   std::to_string(count) + " hex bytes"));
    }
    bool Unsigned(const std::string& key, int base, std::uint64_t max, std::uint64_t& out) {
        const std::string* text = Text(key);
        return text != nullptr && ((Number(*text, base, out) && out <= max) ||
                                   Fail("the value of \"" + key + "\" is not a valid number"));
    }
    bool YesNo(const std::string& key, bool& out) {
        const std::string* text = Text(key);
        if (text == nullptr)
            return false;
        out = *text == "yes";
        return out || *text == "no" || Fail("the value of \"" + key + "\" is not yes or no");
    }
    bool Fail(const std::string& why) {
        if (why_.empty())
            why_ = why;
        return false;
    }

private:
    const Header& header_;
    std::string& why_;
};

bool ReadIdentity(HeaderReader& reader, ProductState& state) {
    const std::string* product = reader.Text("product");
    std::uint64_t vid = 0;
    std::uint64_t pid = 0;
    if (product == nullptr || product->size() != 9 || (*product)[4] != ':' ||
        !Number(product->substr(0, 4), 16, vid) || !Number(product->substr(5), 16, pid)) {
        return product != nullptr && reader.Fail("the value of \"product\" is not VID:PID");
    }
    state.product =
        UsbIdentity{static_cast<std::uint16_t>(vid), static_cast<std::uint16_t>(pid), true};
    std::uint64_t ispVid = 0;
    if (!reader.Unsigned("isp-vid", 16, 0xFFFF, ispVid))
        return false;
    state.ispVid = static_cast<std::uint16_t>(ispVid);
    if (!reader.Has("started-in-isp"))
        return true;  // written by an earlier build
    bool started = false;
    if (!reader.YesNo("started-in-isp", started))
        return false;
    state.startedInIsp = started;
    return true;
}

bool ReadParams(HeaderReader& reader, ParamStore& params) {
    std::array<std::uint8_t, 4> vid{};
    std::array<std::uint8_t, 4> pid{};
    std::array<std::uint8_t, 4> system{};
    if (!reader.HexBytes("param-vid", vid.data(), 4) ||
        !reader.HexBytes("param-pid", pid.data(), 4) ||
        !reader.HexBytes("param-system", system.data(), 4)) {
        return false;
    }
    params.SetVid(std::string(vid.begin(), vid.end()));
    params.SetPid(std::string(pid.begin(), pid.end()));
    params.SetSysSetting(system);
    for (int which = 1; which <= 3; ++which) {
        ParamStore::Packet packet{};
        if (!reader.HexBytes("param-string" + std::to_string(which), packet.data(), packet.size()))
            return false;
        params.SetStringPacket(which, packet);
    }
    return true;
}

bool ReadVolatile(HeaderReader& reader, ChipVolatileState& v) {
    std::uint64_t busy = 0;
    if (!reader.YesNo("firmware-running", v.firmwareRunning) ||
        !reader.YesNo("isp-mode", v.ispMode) || !reader.HexBytes("bank", &v.bank, 1) ||
        !reader.Unsigned("flash-busy-us", 10, 0xFFFFFFFF, busy)) {
        return false;
    }
    v.flash.busyRemainingUs = static_cast<std::uint32_t>(busy);
    const std::string* aai = reader.Text("flash-aai");
    if (aai == nullptr || *aai == "none")
        return aai != nullptr;
    std::uint64_t address = 0;
    if (!Number(*aai, 16, address) || address > 0xFFFFFF)
        return reader.Fail("the value of \"flash-aai\" is neither none nor an address");
    v.flash.aaiActive = true;
    v.flash.aaiAddress = static_cast<std::uint32_t>(address);
    return true;
}

bool ReadFields(HeaderReader& reader, ProductState& state, std::uint64_t& flashSize,
                bool& hasVolatile) {
    const std::string* flash = reader.Text("flash");
    if (flash == nullptr)
        return false;
    const auto model = ModelNamed(*flash);
    if (!model)
        return reader.Fail("it names an unknown flash \"" + *flash + "\"");
    state.flash = *model;
    if (!reader.Unsigned("flash-size", 10, 0xFFFFFFFF, flashSize))
        return false;
    if (flashSize != DatasheetFor(*model).sizeBytes)
        return reader.Fail("its flash size does not match the " + *flash);
    if (!ReadIdentity(reader, state) || !reader.HexBytes("flash-status", &state.flashStatus, 1) ||
        !ReadParams(reader, state.params) || !reader.YesNo("volatile", hasVolatile)) {
        return false;
    }
    if (!hasVolatile)
        return true;
    state.volatileState.emplace();
    return ReadVolatile(reader, *state.volatileState);
}

bool ReadBody(std::istream& in, std::uint64_t flashSize, ProductState& state, std::string& why) {
    state.flashContents.resize(flashSize);
    if (!in.read(reinterpret_cast<char*>(state.flashContents.data()),
                 static_cast<std::streamsize>(flashSize))) {
        why = "it ends before the flash contents do";
        return false;
    }
    if (state.volatileState) {
        std::vector<char> registers(kRegisterBytes);
        if (!in.read(registers.data(), static_cast<std::streamsize>(registers.size()))) {
            why = "it ends before the registers do";
            return false;
        }
        for (std::size_t bank = 0; bank < 256; ++bank) {
            for (std::size_t reg = 0; reg < 256; ++reg)
                state.volatileState->registers[bank][reg] =
                    static_cast<std::uint8_t>(registers[bank * 256 + reg]);
        }
    }
    if (in.peek() != std::char_traits<char>::eof()) {
        why = "it has bytes after its end";
        return false;
    }
    return true;
}

std::string Refusal(const std::string& path, const std::string& why) {
    return "The simulator state file \"" + path + "\" was not loaded: " + why + ".";
}

}  // namespace

ProductState CaptureState(const SimChip& chip) {
    const ChipConfig config = chip.Config();
    ProductState state;
    state.flash = config.flash;
    state.product = config.product;
    state.ispVid = config.ispVid;
    state.startedInIsp = config.startedInIsp;
    const auto contents = chip.Flash().Contents();
    state.flashContents.assign(contents.begin(), contents.end());
    const ChipVolatileState now = chip.SaveVolatile();
    state.flashStatus = now.flash.status;
    // A chip without power has nothing volatile to keep: the next run powers
    // it up, and it boots from its flash as on hardware.
    if (chip.Powered())
        state.volatileState = now;
    state.params = chip.Params();
    return state;
}

bool WriteStateFile(const std::string& path, const ProductState& state, std::string& error) {
    // The rename would put the file in place of a device or a folder.
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        error = "The simulator state could not be written to \"" + path +
                "\": it is not a regular file.";
        return false;
    }
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        WriteHeader(out, state);
        out.write(reinterpret_cast<const char*>(state.flashContents.data()),
                  static_cast<std::streamsize>(state.flashContents.size()));
        if (state.volatileState) {
            for (const auto& bank : state.volatileState->registers)
                out.write(reinterpret_cast<const char*>(bank.data()),
                          static_cast<std::streamsize>(bank.size()));
        }
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            error = "The simulator state could not be written to \"" + path + "\".";
            return false;
        }
    }
    // std::filesystem::rename replaces an existing file everywhere; the C
    // library's rename refuses to on Windows.
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::remove(temporary.c_str());
        error =
            "The simulator state could not be written to \"" + path + "\": " + ec.message() + ".";
        return false;
    }
    return true;
}

std::string StateFileUnwritable(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status) && !fs::is_regular_file(status))
        return "it is not a regular file";
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::is_directory(folder, ec))
        return "its folder does not exist";
    // The save writes a temporary file beside it and renames that over it, so
    // the folder must take a new file; a full disk shows on the first byte.
    const std::string temporary = path + ".tmp";
    bool written = false;
    {
        std::ofstream probe(temporary, std::ios::binary | std::ios::trunc);
        written = probe && probe.put('\n') && probe.flush();
    }
    std::remove(temporary.c_str());
    return written ? std::string() : "nothing can be written in its folder";
}

std::optional<ProductState> ReadStateFile(const std::string& path, std::string& error) {
    // A device such as /dev/zero would be read for ever.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) && std::filesystem::exists(path, ec)) {
        error = Refusal(path, "it is not a regular file");
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = Refusal(path, "it cannot be opened");
        return std::nullopt;
    }
    std::string magic;
    int version = 0;
    std::string rest;
    if (!(in >> magic) || magic != kMagic || !(in >> version) || !std::getline(in, rest) ||
        !rest.empty()) {
        error = Refusal(path, std::string("it is not a state file (it does not begin with \"") +
                                  kMagic + " " + std::to_string(kStateFileVersion) + "\")");
        return std::nullopt;
    }
    if (version != kStateFileVersion) {
        error =
            Refusal(path, "it has format version " + std::to_string(version) +
                              ", this program reads version " + std::to_string(kStateFileVersion));
        return std::nullopt;
    }
    Header header;
    std::string why;
    ProductState state;
    std::uint64_t flashSize = 0;
    bool hasVolatile = false;
    HeaderReader reader(header, why);
    if (!ReadHeader(in, header, why) || !ReadFields(reader, state, flashSize, hasVolatile) ||
        !ReadBody(in, flashSize, state, why)) {
        error = Refusal(path, why);
        return std::nullopt;
    }
    return state;
}

bool ApplyLastingState(SimChip& chip, const ProductState& state, std::string& error) {
    const ChipConfig config = chip.Config();
    const char* fileFlash = DatasheetFor(state.flash).name;
    if (state.flash != config.flash) {
        error = std::string("The simulator state file holds a product with a ") + fileFlash +
                " flash, but the simulated product has a " + DatasheetFor(config.flash).name +
                " flash; nothing was loaded.";
        return false;
    }
    if (state.product.vid != config.product.vid || state.product.pid != config.product.pid ||
        state.ispVid != config.ispVid) {
        error = "The simulator state file holds the product " + Hex16(state.product.vid) + ":" +
                Hex16(state.product.pid) + " (bare chip " + Hex16(state.ispVid) +
                "), not the simulated product " + Hex16(config.product.vid) + ":" +
                Hex16(config.product.pid) + " (bare chip " + Hex16(config.ispVid) +
                "); nothing was loaded.";
        return false;
    }
    chip.Flash().Load(0, state.flashContents);
    chip.Flash().SetStatusBits(state.flashStatus);
    chip.Params() = state.params;
    return true;
}

}  // namespace sim
