#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string_view>

#include "product/isp_flash_access.h"

namespace cli {
namespace {

struct CommandName {
    std::string_view name;
    Command command;
};

constexpr std::array<CommandName, 6> kCommands = {{
    {"list", Command::List},
    {"update", Command::Update},
    {"verify", Command::Verify},
    {"read", Command::Read},
    {"info", Command::Info},
    {"check", Command::Check},
}};

// Options of the tool itself and whether they take a value.
enum class Own { Flag, Value, OptionalValue };
std::optional<Own> OwnOption(std::string_view name) {
    if (name == "--device" || name == "--length" || name == "--trace" || name == "--serial" ||
        name == "--product" || name == "--report")
        return Own::Value;
    if (name == "--wait")
        return Own::OptionalValue;
    if (name == "--all" || name == "--json" || name == "--yes" || name == "-y" ||
        name == "--force" || name == "--changed-only" || name == "--help" || name == "-h" ||
        name == "--version" || name == "-V" || name == "--quiet" || name == "-q" ||
        name == "--verbose" || name == "-v")
        return Own::Flag;
    return std::nullopt;
}

std::optional<std::uint32_t> ParseLength(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || code != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool SetOwn(std::string_view name, const std::string& value, CliOptions& options,
            std::string& error) {
    if (name == "--device") {
        options.device = value;
    } else if (name == "--trace") {
        options.traceFile = value;
    } else if (name == "--report") {
        options.reportFile = value;
    } else if (name == "--length") {
        options.length = ParseLength(value);
        if (!options.length || *options.length == 0 ||
            *options.length > product::kMaxFlashReadLength) {
            error = "--length takes a byte count from 1 to " +
                    std::to_string(product::kMaxFlashReadLength) + ", not '" + value + "'";
            return false;
        }
    } else if (name == "--serial") {
        options.serial = value;
    } else if (name == "--product") {
        options.product = value;
    } else if (name == "--wait") {
        options.wait = true;
        if (!value.empty()) {
            options.waitSeconds = ParseLength(value);
            if (!options.waitSeconds || value.starts_with("0x")) {
                error = "--wait takes a number of seconds, not '" + value + "'";
                return false;
            }
        }
    } else if (name == "--all") {
        options.all = true;
    } else if (name == "--json") {
        options.json = true;
    } else if (name == "--yes" || name == "-y") {
        options.yes = true;
    } else if (name == "--force") {
        options.force = true;
    } else if (name == "--changed-only") {
        options.changedOnly = true;
    } else if (name == "--quiet" || name == "-q") {
        options.quiet = true;
    } else if (name == "--verbose" || name == "-v") {
        options.verbose = true;
    } else if (name == "--help" || name == "-h") {
        options.help = true;
    } else {
        options.version = true;
    }
    return true;
}

bool LooksLikeOption(std::string_view arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// "--simulate 3" is row 3 and "--sim-isp 0ea0" that identity, as the window
// reads them: a following argument of the value's shape is the optional value.
bool FollowsAsOptionalValue(std::string_view name, std::string_view next) {
    const auto all = [&](auto digit) {
        return !next.empty() && std::all_of(next.begin(), next.end(), digit);
    };
    if (name == "--simulate")
        return all([](char c) { return c >= '0' && c <= '9'; });
    return name == "--sim-isp" && next.size() == 4 &&
           all([](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// The options that name a file the tool writes.
bool WritesAFile(std::string_view name) {
    return name == "--trace" || name == "--report";
}

// "--trace --simulate" is a forgotten file name, not a trace file to create
// under the name of an option (which would then be missing as well).
bool TraceNamesAFile(std::string_view name, const std::optional<std::string>& value,
                     std::string& error) {
    if (!WritesAFile(name) || (value && !value->empty()))
        return true;
    error = std::string(name) + " needs a file name";
    return false;
}

// One argument that starts with '-': the tool's own option or a backend
// option, with its value attached ("--x=v") or, where allowed, following.
bool TakeOption(const std::vector<std::string>& args, std::size_t& i, CliOptions& options,
                std::string& error) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    std::optional<std::string> value;
    if (equals != std::string::npos)
        value = arg.substr(equals + 1);
    const bool valueFollows = OwnOption(name) == Own::Value ||
                              product::BackendOptionValue(name) == product::OptionValue::Required;
    if (!value && valueFollows && i + 1 < args.size() &&
        !(WritesAFile(name) && LooksLikeOption(args[i + 1])))
        value = args[++i];
    if (!value && i + 1 < args.size() && FollowsAsOptionalValue(name, args[i + 1]))
        value = args[++i];
    if (!TraceNamesAFile(name, value, error))
        return false;
    if (const auto own = OwnOption(name)) {
        if (*own == Own::Value && !value) {
            error = name + " needs a value";
            return false;
        }
        if (*own == Own::Flag && value) {
            error = name + " takes no value";
            return false;
        }
        return SetOwn(name, value.value_or(""), options, error);
    }
    const auto taken = product::TakeBackendOption(name, value, options.backend, error);
    if (taken == product::OptionTake::NotMine)
        error = "unknown option '" + arg + "'";
    return taken == product::OptionTake::Taken;
}

bool TakeCommand(const std::vector<std::string>& words, CliOptions& options, std::string& error) {
    if (words.empty()) {
        error = "no command given: list, update, verify, read, info or check";
        return false;
    }
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const CommandName& c) { return c.name == words[0]; });
    if (found == kCommands.end()) {
        error = "unknown command '" + words[0] + "'";
        return false;
    }
    options.command = found->command;
    const bool fileRequired = options.command == Command::Verify ||
                              options.command == Command::Read || options.command == Command::Check;
    const std::size_t maxWords =
        options.command == Command::List || options.command == Command::Info ? 1 : 2;
    if (words.size() > maxWords) {
        error = "unexpected argument '" + words[maxWords] + "' for " + words[0];
        return false;
    }
    if (words.size() == 2)
        options.file = words[1];
    if (fileRequired && !options.file) {
        error =
            words[0] + (options.command == Command::Read    ? " needs an output file"
                        : options.command == Command::Check ? " needs the file to check"
                                                            : " needs the file to compare with");
        return false;
    }
    return true;
}

bool CheckCombinations(const CliOptions& options, std::string& error) {
    if (options.all && options.command != Command::Update)
        error = "--all works only with update";
    else if (options.all && options.device)
        error = "--all and --device exclude each other";
    else if (options.length && options.command != Command::Read)
        error = "--length works only with read";
    else if (options.quiet && options.verbose)
        error = "--quiet and --verbose exclude each other";
    else if (options.product && options.command != Command::Check)
        error = "--product works only with check";
    else if (options.command == Command::Check &&
             (options.device || options.serial || options.wait || options.backend.Simulated()))
        error = "check works on the file alone, without a device";
    else if (options.serial && (options.all || options.device))
        error = "--serial excludes --all and --device";
    else if (options.reportFile && options.command != Command::Update)
        error = "--report works only with update";
    else if (options.reportFile && options.all)
        error = "--report reports one device; it excludes --all";
    else if (options.wait && options.command == Command::List)
        error = "--wait works with update, verify, read and info";
    return error.empty();
}

}  // namespace

std::optional<CliOptions> ParseCli(const std::vector<std::string>& args, std::string& error) {
    CliOptions options;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && LooksLikeOption(arg)) {
            if (!TakeOption(args, i, options, error))
                return std::nullopt;
        } else {
            words.push_back(arg);
        }
    }
    if (options.help || options.version)
        return options;
    if (!TakeCommand(words, options, error) || !CheckCombinations(options, error))
        return std::nullopt;
    return options;
}

}  // namespace cli
