// A minimal host for the VM tests: loads a plug-in file and sends it the
// messages named on the command line, one process per scenario (a Java VM
// can be created only once per process).
//
//   vm_driver PLUGIN COMMAND...
//     name                        get-string 128, as a host listing its plug-ins
//     init:TYPE[:API][:unsafe]    init with an application type (API version 57 by default)
//     idle[:STATE][:unsafe]       idle on the main thread
//     idle-thread[:STATE]         idle on a new thread, which then ends
//     shutdown | prefs            shutdown, preferences
//     call:NAME[:ARG]...          calls a registered function on the main thread,
//                                 as the host does, with text arguments
//     call-thread:NAME[:ARG]...   the same on a new thread, which then ends
//     live                        the host objects alive now ("live N ...")
//     fail:FUNCTION[:SKIP]        the host's call of FUNCTION after SKIP more fails with code 2
//
// It prints the tokens of the instance handle and call-backs first, then one
// line per message ("init 51"; "call NAME CODE RESULT" for a call).
#include "fmhost/host_control.h"
#include "fmhost/plugin_interface.h"
#include "platform/platform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

int16_t FMX_CALL start_script(const FMX_Text *, const FMX_Text *, uint8_t, const FMX_Data *) { return 0; }
int16_t FMX_CALL current_env(FMX_ExprEnv *) { return 0; }

long long token(const void *address) { return static_cast<long long>(reinterpret_cast<std::intptr_t>(address)); }

std::vector<std::string> split(const std::string &text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ':');)
        parts.push_back(part);
    return parts;
}

// Calls a registered function with text arguments the way a host does; the
// error code and the result's text.
std::string call_function(const std::vector<std::string> &parts) {
    const fmhost::RegisteredFunction *function = fmhost::find_function(platform::widen(parts.at(1)));
    if (!function)
        return "no such function";
    FMX_Error err{};
    FMX_ExprEnv *env = FM_ExprEnv_Constructor1(0, &err);
    FMX_DataVect *args = fmhost::datavect_new();
    for (std::size_t i = 2; i < parts.size(); ++i) {
        FMX_Data *arg = FM_Data_Constructor1(&err);
        FMX_Text *text = FM_Text_Constructor1(&err);
        const std::u16string units = platform::widen(parts[i]);
        FM_Text_AssignUnicodeWithLength(text, reinterpret_cast<const FMX_Unichar *>(units.data()),
                                        static_cast<std::uint32_t>(units.size()), &err);
        FM_Data_SetAsText(arg, text, FM_Data_GetLocale(arg, &err), FMX_DT_TEXT, &err);
        fmhost::datavect_push(args, arg);
        FM_Text_Delete(text, &err);
        FM_Data_Delete(arg, &err);
    }
    FMX_Data *result = FM_Data_Constructor1(&err);
    const std::int16_t code = function->callback(function->id, env, args, result);
    const FMX_Text *text = FM_Data_GetAsText(result, &err);
    std::u16string units(FM_Text_GetSize(text, &err), u'\0');
    FM_Text_GetUnicode(text, reinterpret_cast<FMX_Unichar *>(units.data()), 0, static_cast<std::uint32_t>(units.size()),
                       &err);
    FM_Data_Delete(result, &err);
    fmhost::datavect_delete(args);
    FM_ExprEnv_Delete(env, &err);
    return std::to_string(code) + " " + platform::narrow(units);
}

bool has(const std::vector<std::string> &parts, const char *flag) {
    for (const auto &part : parts)
        if (part == flag)
            return true;
    return false;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vm_driver PLUGIN COMMAND...\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const platform::ModuleHandle plugin = platform::load_library(argv[1]);
    const auto entry =
        plugin ? reinterpret_cast<FMX_ExternCallProc>(platform::find_symbol(plugin, "FMExternCallProc")) : nullptr;
    if (!entry) {
        std::fprintf(stderr, "vm_driver: cannot load %s: %s\n", argv[1], platform::last_load_error().c_str());
        return 2;
    }

    // One record for the whole run, as a host keeps its own.
    static HostCallRecord record{};
    record.apiVersion = 57;
    record.instanceID = reinterpret_cast<std::uintptr_t>(plugin);
    record.cStartScript = &start_script;
    record.cCurrentEnv = &current_env;
    std::printf("tokens\tinstance=%lld\tstart=%lld\tenv=%lld\n", token(plugin),
                token(reinterpret_cast<const void *>(&start_script)),
                token(reinterpret_cast<const void *>(&current_env)));

    for (int i = 2; i < argc; ++i) {
        const std::vector<std::string> parts = split(argv[i]);
        if (parts.empty())
            continue;
        const std::string &command = parts[0];
        record.unsafeCalls = has(parts, "unsafe") ? 1 : 0;
        record.result = 0;
        if (command == "name") {
            FMX_Unichar buffer[64] = {};
            record.message = FMX_MSG_GET_STRING;
            record.param1 = FMX_STRING_NAME;
            record.param3 = 63;
            record.result = reinterpret_cast<std::intptr_t>(buffer);
            entry(&record);
            std::u16string name;
            for (FMX_Unichar unit : buffer)
                if (unit)
                    name += static_cast<char16_t>(unit);
                else
                    break;
            std::printf("name %s\n", platform::narrow(name).c_str());
        } else if (command == "init") {
            record.message = FMX_MSG_INIT;
            record.param1 = static_cast<uint8_t>(parts.size() > 1 ? std::atoi(parts[1].c_str()) : 1);
            if (parts.size() > 2 && parts[2] != "unsafe")
                record.apiVersion = static_cast<int16_t>(std::atoi(parts[2].c_str()));
            entry(&record);
            std::printf("init %lld\n", static_cast<long long>(record.result));
        } else if (command == "idle" || command == "idle-thread") {
            record.message = FMX_MSG_IDLE;
            record.param1 =
                static_cast<uint8_t>(parts.size() > 1 && parts[1] != "unsafe" ? std::atoi(parts[1].c_str()) : 0);
            if (command == "idle")
                entry(&record);
            else
                std::thread([&] { entry(&record); }).join();
            std::printf("%s done\n", command.c_str());
        } else if ((command == "call" || command == "call-thread") && parts.size() > 1) {
            std::string answer;
            if (command == "call")
                answer = call_function(parts);
            else
                std::thread([&] { answer = call_function(parts); }).join();
            std::printf("%s %s %s\n", command.c_str(), parts[1].c_str(), answer.c_str());
        } else if (command == "fail" && parts.size() > 1) {
            fmhost::inject_failure(parts[1], FMX_ERR_FAILURE,
                                   parts.size() > 2 ? static_cast<unsigned>(std::atoi(parts[2].c_str())) : 0u);
        } else if (command == "live") {
            std::printf("live %zu %s\n", fmhost::live_total(),
                        fmhost::describe_live(fmhost::live_objects()).c_str());
        } else if (command == "shutdown" || command == "prefs") {
            record.message = command == "shutdown" ? FMX_MSG_SHUTDOWN : FMX_MSG_PREFERENCES;
            entry(&record);
            std::printf("%s done\n", command.c_str());
        } else {
            std::fprintf(stderr, "vm_driver: unknown command %s\n", argv[i]);
            return 2;
        }
    }
    return 0;
}
