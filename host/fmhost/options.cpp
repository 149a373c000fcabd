#include "options.h"

#include <charconv>
#include <cstdio>
#include <strings.h>

namespace fmhost {

namespace {

template <class T>
bool parse_int(const std::string &text, long min, long max, T &out) {
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return false;
    out = static_cast<T>(value);
    return true;
}

} // namespace

const char *app_type_name(std::uint8_t code) {
    for (const AppType &type : kAppTypes)
        if (type.code == code)
            return type.name;
    return "Unknown";
}

void print_usage(std::FILE *to) {
    std::fprintf(
        to,
        "usage: fmhost [options] [-e STEP]... [SCRIPT | -]\n"
        "       fmhost [--plugin PATH] [--check-leaks] --info\n"
        "Loads the plug-in, starts it as the host does and runs script steps:\n"
        "those given with -e, then the lines of SCRIPT ('-' reads standard input\n"
        "step by step). Without steps and with a terminal on standard input it is\n"
        "an interactive console.\n"
        "  --plugin PATH       the plug-in file (default: JDBC.fmx beside fmhost)\n"
        "  --no-plugin         no plug-in: calculations and steps alone\n"
        "  --solution FILE     the solution (JSON): file, tables, records, scripts\n"
        "  --app-type T        FMAdvanced, FMPro, Runtime, Server, WPE, Mobile or a code (default FMPro)\n"
        "  --api-version N     the API version sent at init (default 51)\n"
        "  --keep-going        go on when init does not answer 51\n"
        "  --prefs             send the preferences message after init\n"
        "  --functions         list the functions the plug-in registered\n"
        "  --json              one JSON object per step (and per function)\n"
        "  --check-leaks       report host objects the plug-in left alive; exit 3 if any\n"
        "  --threads N         run the steps on N host threads at once, each with its own\n"
        "                      copy of the solution and its own variables (1 to 64)\n"
        "  -e STEP             run a step (repeatable)\n"
        "  --info              print the plug-in's name, description and options\n"
        "Exit status: 0 when the steps ran, 1 when the plug-in cannot be loaded or\n"
        "started, 2 for usage errors and unreadable input files, 3 for leaks.\n");
}

std::optional<Options> parse_options(const std::vector<std::string> &args, std::string &error) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--plugin") {
            if (!value(options.pluginPath))
                return std::nullopt;
        } else if (arg == "--no-plugin") {
            options.noPlugin = true;
        } else if (arg == "--solution") {
            if (!value(options.solutionPath))
                return std::nullopt;
        } else if (arg == "--app-type") {
            if (!value(text))
                return std::nullopt;
            bool known = false;
            for (const AppType &type : kAppTypes)
                if (strcasecmp(type.name, text.c_str()) == 0) {
                    options.appType = type.code;
                    known = true;
                }
            if (!known && !parse_int(text, 0, 255, options.appType)) {
                error = "unknown application type " + text +
                        " (FMAdvanced, FMPro, Runtime, Server, WPE, Mobile or a code 0..255)";
                return std::nullopt;
            }
        } else if (arg == "--api-version") {
            if (!value(text))
                return std::nullopt;
            if (!parse_int(text, -32768, 32767, options.apiVersion)) {
                error = "--api-version needs a number from -32768 to 32767, not " + text;
                return std::nullopt;
            }
        } else if (arg == "--keep-going") {
            options.keepGoing = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--check-leaks") {
            options.checkLeaks = true;
        } else if (arg == "--threads") {
            if (!value(text))
                return std::nullopt;
            if (!parse_int(text, 1, kMaxThreads, options.threads)) {
                error = "--threads needs a number from 1 to " + std::to_string(kMaxThreads) + ", not " + text;
                return std::nullopt;
            }
        } else if (arg == "--functions") {
            options.functions = true;
        } else if (arg == "--prefs") {
            options.prefs = true;
        } else if (arg == "--info") {
            options.info = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "-e") {
            if (!value(text))
                return std::nullopt;
            options.steps.push_back(text);
        } else if (arg == "-" || (!arg.empty() && arg[0] != '-')) {
            if (options.script) {
                error = "only one script can be given (" + *options.script + ", " + arg + ")";
                return std::nullopt;
            }
            options.script = arg;
        } else {
            error = "unknown argument " + arg;
            return std::nullopt;
        }
    }
    if (options.noPlugin && !options.pluginPath.empty()) {
        error = "--plugin and --no-plugin exclude each other";
        return std::nullopt;
    }
    if (options.threads > 1 && ((options.steps.empty() && !options.script) || options.script == "-")) {
        error = "--threads needs steps from -e or a script file";
        return std::nullopt;
    }
    if (options.noPlugin && (options.info || options.functions || options.prefs)) {
        error = "--info, --functions and --prefs need a plug-in";
        return std::nullopt;
    }
    return options;
}

} // namespace fmhost
