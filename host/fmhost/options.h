// The command line of fmhost.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace fmhost {

struct Options {
    std::string pluginPath;           // empty: JDBC.fmx beside fmhost
    bool noPlugin = false;
    std::string solutionPath;         // empty: one empty file and table
    std::uint8_t appType = 1;         // FMPro
    std::int16_t apiVersion = 51;
    bool keepGoing = false;           // go on after an init result other than 51
    bool json = false;
    bool checkLeaks = false;
    bool functions = false;
    bool prefs = false;
    bool info = false;
    unsigned threads = 1;             // --threads: the steps run on this many host threads at once
    bool help = false;
    std::vector<std::string> steps;   // -e, in order
    std::optional<std::string> script; // a file, or "-" for standard input
};

// Most host threads --threads runs.
inline constexpr unsigned kMaxThreads = 64;

// The application types a host names at init, with their codes.
struct AppType {
    const char *name;
    std::uint8_t code;
};
inline constexpr AppType kAppTypes[] = {{"FMAdvanced", 0}, {"FMPro", 1},  {"Runtime", 2},
                                        {"Server", 3},     {"WPE", 4},    {"Mobile", 5}};
// The name of a code, "Unknown" beyond the table.
const char *app_type_name(std::uint8_t code);

// Reads the arguments; nullopt with a reason in `error` for a usage error.
std::optional<Options> parse_options(const std::vector<std::string> &args, std::string &error);
void print_usage(std::FILE *to);

} // namespace fmhost
