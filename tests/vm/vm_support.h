// Helpers of the VM tests: private folders, environment overrides, a
// registry file describing a Java runtime and the folders the plug-in reads,
// and scenario runs of vm_driver in their own processes.
#pragma once

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace vmtest {

using namespace testing_support;

struct JavaRuntime {
    std::string version; // the registered CurrentVersion
    std::string home;
    std::string lib;
};

inline JavaRuntime jdk17() {
    const std::string home = "/usr/lib/jvm/java-17-openjdk-amd64";
    return {"17", home, home + "/lib/server/libjvm.so"};
}

inline std::optional<JavaRuntime> temurin25() {
    const std::string home = "/usr/lib/jvm/temurin-25-jdk-amd64";
    if (!fs::exists(home + "/lib/server/libjvm.so"))
        return std::nullopt;
    return JavaRuntime{"25", home, home + "/lib/server/libjvm.so"};
}

// The registry section of a Java runtime, as a Windows export lists it.
inline std::string java_section(const JavaRuntime &java) {
    return "[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment]\n"
           "\"CurrentVersion\"=\"" +
           java.version +
           "\"\n\n"
           "[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\" +
           java.version +
           "]\n"
           "\"JavaHome\"=\"" +
           java.home +
           "\"\n"
           "\"RuntimeLib\"=\"" +
           java.lib + "\"\n\n";
}

// A registry file: the given Java section (any text) and the two shell
// folders the plug-in reads.
inline std::string registry_text(const std::string &javaSection, const std::string &commonAppData,
                                 const std::string &personal) {
    return "REGEDIT4\n\n" + javaSection +
           "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
           "\"Common AppData\"=\"" +
           commonAppData +
           "\"\n\n"
           "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
           "\"Personal\"=\"" +
           personal + "\"\n";
}

struct RunResult {
    int status = -1; // exit code, or -signal, or -1000 on timeout
    std::string out, err;
    // The driver's line for a message, e.g. "init" -> every "init N" result.
    std::vector<std::string> results(const std::string &command) const {
        std::vector<std::string> found;
        for (const auto &line : lines_of(out))
            if (line.starts_with(command + " "))
                found.push_back(line.substr(command.size() + 1));
        return found;
    }
    std::string token(const std::string &name) const {
        for (const auto &line : lines_of(out)) {
            if (!line.starts_with("tokens\t"))
                continue;
            const auto at = line.find("\t" + name + "=");
            if (at == std::string::npos)
                return "";
            const auto start = at + name.size() + 2;
            return line.substr(start, line.find('\t', start) - start);
        }
        return "";
    }
};

// One scenario: its own temp folder, documents folder, marker folder and
// registry file, and runs of vm_driver with them (the test plug-in unless
// another plug-in file is named).
class Scenario {
  public:
    explicit Scenario(const std::string &tempName = "temp") : temp_(root_.path() / tempName) {
        fs::create_directories(temp_);
        fs::permissions(temp_, fs::perms::owner_all);
        fs::create_directories(docs());
        fs::create_directories(appdata());
        set_java(jdk17());
        env_["TEMP"] = temp_.string();
        env_["VNT_REGISTRY"] = registry_file().string();
        env_["JAVA_TOOL_OPTIONS"] = "-Djava.util.prefs.userRoot=" + (root_.path() / "prefs").string();
        for (const char *name : {"VNT_DEBUG_OUTPUT", "VNT_TEST_FAIL", "VNT_TEST_ODD_PROTOTYPE", "DISPLAY"})
            unset_.push_back(name);
    }

    fs::path root() const { return root_.path(); }
    fs::path temp() const { return temp_; }
    fs::path docs() const { return root_.path() / "docs"; }
    fs::path appdata() const { return root_.path() / "appdata"; }
    fs::path markers() const { return appdata() / "Vantorel"; }
    fs::path registry_file() const { return root_.path() / "registry.reg"; }

    void set_java(const JavaRuntime &java) { set_java_section(java_section(java)); }
    void set_java_section(const std::string &section) {
        write_all(registry_file(), registry_text(section, appdata().string(), docs().string()));
    }
    void marker(const std::string &name, const std::string &content = "") { write_all(markers() / name, content); }
    void env(const std::string &name, const std::string &value) { env_[name] = value; }
    // The hosted log's level, through the logging configuration the VM is
    // started with (no console handler, so nothing of it reaches stderr).
    void hosted_log_level(const std::string &level) {
        write_all(temp_ / "logging.properties", "handlers=\ncom.tessal.level=" + level + "\n");
    }

    // The per-plug-in log of an application type, native and hosted lines.
    std::string log(const std::string &appType = "FMPro", const std::string &plugin = "Vantorel Test Plugin") const {
        return read_all(docs() / "VntPlugin Logs" / (plugin + "_" + appType + ".log"));
    }
    // The log's messages without their "(C++ time) " prefixes.
    std::vector<std::string> log_messages(const std::string &appType = "FMPro",
                                          const std::string &plugin = "Vantorel Test Plugin") const {
        std::vector<std::string> messages;
        for (const auto &line : lines_of(log(appType, plugin))) {
            const auto end = line.starts_with("(C++ ") ? line.find(") ") : std::string::npos;
            messages.push_back(end == std::string::npos ? line : line.substr(end + 2));
        }
        return messages;
    }
    // The "%d: %s" option lines of the log, in order.
    std::vector<std::string> logged_options(const std::string &appType = "FMPro",
                                            const std::string &plugin = "Vantorel Test Plugin") const {
        std::vector<std::string> options;
        const std::regex option(R"(^(\d+): (.*)$)");
        for (const auto &message : log_messages(appType, plugin)) {
            std::smatch match;
            if (std::regex_match(message, match, option) && std::stoul(match[1]) == options.size())
                options.push_back(match[2]);
        }
        return options;
    }

    // Runs vm_driver with the plug-in and commands; gives up after the timeout.
    RunResult run(const std::vector<std::string> &commands, const std::string &plugin = VM_TEST_PLUGIN,
                  std::chrono::seconds timeout = std::chrono::seconds(60)) const {
        const fs::path out = root_.path() / "stdout.txt", err = root_.path() / "stderr.txt";
        std::vector<std::string> args{VM_DRIVER, plugin};
        args.insert(args.end(), commands.begin(), commands.end());
        std::vector<char *> argv;
        for (auto &arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);

        std::vector<std::string> envText;
        for (char **entry = environ; *entry; ++entry) {
            const std::string text(*entry);
            const std::string name = text.substr(0, text.find('='));
            if (!env_.contains(name) && std::find(unset_.begin(), unset_.end(), name) == unset_.end())
                envText.push_back(text);
        }
        for (const auto &[name, value] : env_)
            envText.push_back(name + "=" + value);
        std::vector<char *> envp;
        for (auto &text : envText)
            envp.push_back(text.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, VM_DRIVER, &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        RunResult result;
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << VM_DRIVER;
            return result;
        }
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        for (;;) {
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
                break;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                result.status = -1000;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        result.out = read_all(out);
        result.err = read_all(err);
        return result;
    }

  private:
    TempDir root_;
    fs::path temp_;
    std::map<std::string, std::string> env_;
    std::vector<std::string> unset_;
};

} // namespace vmtest
