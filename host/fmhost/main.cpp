// fmhost: loads a plug-in file and talks to it the way the host does: the
// string requests, init, idle between steps, preferences and shutdown; runs
// calculations and script steps against a solution; and offers the plug-in
// the host's call-backs.
#include "callbacks.h"
#include "console.h"
#include "input_file.h"
#include "leaks.h"
#include "options.h"
#include "output.h"
#include "plugin.h"
#include "session.h"
#include "solution.h"
#include "steps.h"
#include "threads.h"

#include "calc/utf8.h"
#include "fmhost/host_control.h"
#include "platform/platform.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace fmhost;

constexpr int kExitOk = 0;
constexpr int kExitPlugin = 1;
constexpr int kExitUsage = 2;
constexpr int kExitLeaks = 3;

std::string default_plugin_path(const char *argv0) {
    const auto self = platform::executable_path().value_or(argv0);
    const auto slash = self.rfind('/');
    return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/JDBC.fmx";
}

// Get ( ApplicationVersion ) for each application type.
std::string application_version(std::uint8_t appType) {
    static const char *const kProducts[] = {"ProAdvanced", "Pro", "Runtime", "Server", "Web Publishing Engine", "Go"};
    const char *product = appType < std::size(kProducts) ? kProducts[appType] : "Pro";
    return std::string(product) + " 19.0.1";
}

std::string narrow_answer(const std::optional<std::u16string> &answer) {
    return answer ? calc::utf8::fromUtf16(*answer) : std::string("(no answer)");
}

int run_info(Plugin &plugin, std::FILE *results, bool checkLeaks) {
    LeakCheck leaks(checkLeaks);
    for (const std::uint8_t id : {FMX_STRING_NAME, FMX_STRING_DESCRIPTION, FMX_STRING_OPTIONS}) {
        const auto answer = plugin.get_string(id);
        std::fprintf(results, "%s\n", answer ? calc::utf8::fromUtf16(*answer).c_str() : "");
    }
    std::fflush(results);
    leaks.check("the string requests");
    return leaks.found() ? kExitLeaks : kExitOk;
}

// Starts the plug-in the way the host does: the three string requests, then
// init. False when init did not answer 51.
bool start_plugin(Plugin &plugin, const Options &options) {
    const auto name = plugin.get_string(FMX_STRING_NAME);
    const auto description = plugin.get_string(FMX_STRING_DESCRIPTION);
    const auto pluginOptions = plugin.get_string(FMX_STRING_OPTIONS);
    std::fprintf(stderr, "fmhost: plug-in %s: %s; options %s\n", narrow_answer(name).c_str(),
                 narrow_answer(description).c_str(), narrow_answer(pluginOptions).c_str());
    const auto result = plugin.init(options.appType, options.apiVersion);
    const std::string sent = std::string("init (") + app_type_name(options.appType) + ", API version " +
                             std::to_string(options.apiVersion) + ")";
    if (!result) {
        std::fprintf(stderr, "fmhost: %s: the plug-in left the result untouched\n", sent.c_str());
        return false;
    }
    const char *meaning = *result == FMX_INIT_CURRENT_VERSION ? "enabled"
                          : *result == FMX_INIT_BAD_VERSION   ? "bad version"
                          : *result == FMX_INIT_DO_NOT_ENABLE ? "do not enable"
                                                              : "unexpected";
    std::fprintf(stderr, "fmhost: %s returned %d (%s)\n", sent.c_str(), *result, meaning);
    return *result == FMX_INIT_CURRENT_VERSION;
}

// The lines of a script file without their line ends; throws InputFileError.
std::vector<std::string> read_lines(const std::string &path) {
    const std::string text = read_input_file(path);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

int run(const Options &options, const char *argv0) {
    // Results go to the real standard output; whatever the plug-in (or a VM
    // inside it) prints there is diagnostics and goes to standard error.
    std::FILE *results = platform::take_standard_output();
    if (!results)
        results = stdout;

    std::unique_ptr<Plugin> plugin;
    // A path is a file, never a name for the loader's search.
    const std::string pluginPath = options.pluginPath.empty()
                                       ? default_plugin_path(argv0)
                                       : std::filesystem::absolute(options.pluginPath).string();
    if (options.info) {
        std::string error;
        plugin = Plugin::load(pluginPath, error);
        if (!plugin) {
            std::fprintf(stderr, "fmhost: %s\n", error.c_str());
            return kExitPlugin;
        }
        return run_info(*plugin, results, options.checkLeaks);
    }

    // The input first: a broken file costs no plug-in start.
    Solution solution;
    try {
        solution = options.solutionPath.empty() ? default_solution() : load_solution(options.solutionPath);
    } catch (const SolutionError &e) {
        std::fprintf(stderr, "fmhost: %s\n", e.what());
        return kExitUsage;
    }
    std::vector<std::string> scriptLines;
    const bool scriptFile = options.script && *options.script != "-";
    try {
        if (scriptFile)
            scriptLines = read_lines(*options.script);
    } catch (const InputFileError &e) {
        std::fprintf(stderr, "fmhost: cannot read the script %s\n", e.what());
        return kExitUsage;
    }
    const bool fromStdin =
        options.script ? *options.script == "-" : options.steps.empty() && !options.functions && !options.prefs;

    // --threads copies the solution for each thread; the main session keeps
    // the original for the main thread's own steps.
    const Solution original = options.threads > 1 ? solution : Solution{};
    Session session(std::move(solution), application_version(options.appType));
    HostCallbacks callbacks(session);
    LeakCheck leaks(options.checkLeaks);
    Output output(results, options.json);

    if (!options.noPlugin) {
        std::string error;
        plugin = Plugin::load(pluginPath, error);
        if (!plugin) {
            std::fprintf(stderr, "fmhost: %s\n", error.c_str());
            return kExitPlugin;
        }
        plugin->set_callbacks(HostCallbacks::start_script(), HostCallbacks::current_env());
        if (!start_plugin(*plugin, options) && !options.keepGoing) {
            std::fprintf(stderr, "fmhost: the plug-in did not start (--keep-going runs the steps anyway)\n");
            return kExitPlugin;
        }
    }

    Runner runner(session, callbacks, output, plugin.get(), leaks);
    runner.idle_point("init");
    if (options.functions)
        output.functions(registered_functions());
    if (options.prefs) {
        plugin->preferences();
        runner.idle_point("preferences");
    }

    if (options.threads > 1) {
        std::vector<std::string> lines = options.steps;
        lines.insert(lines.end(), scriptLines.begin(), scriptLines.end());
        run_on_threads(options.threads, original, application_version(options.appType), lines, output, plugin.get());
        runner.idle_point("the threads");
        if (plugin)
            plugin->shutdown();
        return leaks.found() ? kExitLeaks : kExitOk;
    }

    runner.set_script_running(true);
    for (const std::string &step : options.steps) {
        if (runner.halted())
            break;
        runner.run_line(step);
    }
    for (const std::string &line : scriptLines) {
        if (runner.halted())
            break;
        runner.run_line(line);
    }
    runner.set_script_running(false);
    if (fromStdin) {
        if (!options.script && is_terminal(stdin))
            run_console(stdin, output, runner);
        else
            run_stream(stdin, runner);
    }

    if (plugin)
        plugin->shutdown();
    return leaks.found() ? kExitLeaks : kExitOk;
}

} // namespace

int main(int argc, char **argv) {
    // A reader that goes away must not end fmhost before it shuts the
    // plug-in down.
    std::signal(SIGPIPE, SIG_IGN);
    std::string error;
    const auto options = parse_options(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "fmhost: %s\n", error.c_str());
        print_usage(stderr);
        return kExitUsage;
    }
    if (options->help) {
        print_usage(stdout);
        return kExitOk;
    }
    try {
        return run(*options, argv[0]);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "fmhost: %s\n", e.what());
        return kExitPlugin;
    }
}
