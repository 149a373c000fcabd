// fmhost: loads a plug-in file and talks to it the way the host does.
#include "plugin.h"

#include "fmhost/host_control.h"
#include "platform/platform.h"

#include <cstdio>
#include <string>

namespace {

void usage(std::FILE *to) {
    std::fprintf(to, "usage: fmhost [--plugin PATH] [--check-leaks] --info\n"
                     "  --plugin PATH   the plug-in file (default: JDBC.fmx beside fmhost)\n"
                     "  --info          print the plug-in's name, description and options\n"
                     "  --check-leaks   report host objects the plug-in left alive; exit 3 if any\n");
}

std::string default_plugin_path(const char *argv0) {
    const auto self = platform::executable_path().value_or(argv0);
    const auto slash = self.rfind('/');
    return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/JDBC.fmx";
}

} // namespace

int main(int argc, char **argv) {
    std::string pluginPath;
    bool info = false;
    bool checkLeaks = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--plugin" && i + 1 < argc) {
            pluginPath = argv[++i];
        } else if (arg == "--info") {
            info = true;
        } else if (arg == "--check-leaks") {
            checkLeaks = true;
        } else if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "fmhost: unknown argument %s\n", arg.c_str());
            usage(stderr);
            return 2;
        }
    }
    if (!info) {
        usage(stderr);
        return 2;
    }
    if (pluginPath.empty())
        pluginPath = default_plugin_path(argv[0]);

    // Results go to the real standard output; whatever the plug-in (or a VM
    // inside it) prints there is diagnostics and goes to standard error.
    std::FILE *results = platform::take_standard_output();
    if (!results)
        results = stdout;

    std::string error;
    auto plugin = fmhost::Plugin::load(pluginPath, error);
    if (!plugin) {
        std::fprintf(stderr, "fmhost: %s\n", error.c_str());
        return 1;
    }
    for (const std::uint8_t id : {FMX_STRING_NAME, FMX_STRING_DESCRIPTION, FMX_STRING_OPTIONS}) {
        const auto answer = plugin->get_string(id);
        std::fprintf(results, "%s\n", answer ? platform::narrow(*answer).c_str() : "");
    }
    std::fflush(results);
    if (checkLeaks && fmhost::live_total() != 0) {
        std::fprintf(stderr, "fmhost: host objects left alive: %s\n",
                     fmhost::describe_live(fmhost::live_objects()).c_str());
        return 3;
    }
    return 0;
}
