// Messages through the dispatcher: application types at init, the log file
// that init and shutdown settle, and the message kinds that are ignored.
#include "entry/dispatch.h"
#include "entry/lifecycle.h"
#include "entry/process_state.h"
#include "log/log.h"
#include "support/test_support.h"

#include <cstdarg>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <type_traits>

namespace {

using namespace testing_support;

TEST(ApplicationTypes, NamesFlagsAndPorts) {
    struct Case {
        int code;
        const char16_t *name;
        bool headless;
        int port;
    };
    const Case cases[] = {{0, u"FMAdvanced", false, 0}, {1, u"FMPro", false, 0}, {2, u"Runtime", false, 0},
                          {3, u"Server", true, 4412},   {4, u"WPE", true, 4411},  {5, u"Mobile", false, 0}};
    for (const auto &c : cases) {
        const auto *type = entry::application_type(c.code);
        ASSERT_NE(type, nullptr) << c.code;
        EXPECT_EQ(std::u16string(type->name), c.name);
        EXPECT_EQ(type->headless, c.headless);
        EXPECT_EQ(type->debugPort, c.port);
    }
    EXPECT_EQ(entry::application_type(6), nullptr);
    EXPECT_EQ(entry::application_type(-1), nullptr);
}

class Messages : public ::testing::Test {
protected:
    TempDir root;
    fs::path logs = root.path() / "VntPlugin Logs";
    std::optional<ScopedEnv> registry, temp, debug;
    HostCallRecord record{};

    void SetUp() override {
        fs::create_directories(root.path() / "temp");
        fs::permissions(root.path() / "temp", fs::perms::owner_all);
        write_registry(root.path() / "registry.reg", root.str());
        registry.emplace("VNT_REGISTRY", (root.path() / "registry.reg").string());
        temp.emplace("TEMP", (root.path() / "temp").string());
        debug.emplace("VNT_DEBUG_OUTPUT", std::nullopt);
        entry::state() = {};
        entry::state().pluginName = u"Vantorel JDBC Plugin";
        vlog::forget_path();
    }
    void TearDown() override {
        entry::state() = {};
        vlog::forget_path();
    }
    void send(std::uint8_t message, std::uint8_t param1 = 0) {
        record.message = message;
        record.param1 = param1;
        entry::dispatch(&record);
    }
};

TEST_F(Messages, InitNamesTheApplicationAndItsLog) {
    send(FMX_MSG_INIT, FMX_APP_SERVER);
    const auto &state = entry::state();
    EXPECT_EQ(state.appType, 3);
    EXPECT_EQ(state.appTypeName, u"Server");
    EXPECT_TRUE(state.headless);
    EXPECT_EQ(state.debugPort, 4412);
    const std::string log = read_all(logs / "Vantorel JDBC Plugin_Server.log");
    EXPECT_TRUE(std::regex_search(log, std::regex(R"(\)  \*\*\* INIT for Vantorel JDBC Plugin_Server at \w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}, headless mode 1\n)")))
        << log;
}

TEST_F(Messages, InitAnswersDoNotEnableUnlessItGetsAnAnswer) {
    // No Java runtime here: whatever stops init, the host reads -2.
    record.result = 12345;
    send(FMX_MSG_INIT, FMX_APP_PRO);
    EXPECT_EQ(record.result, FMX_INIT_DO_NOT_ENABLE);
}

TEST_F(Messages, UnknownApplicationTypeChangesNothing) {
    send(FMX_MSG_INIT, 6);
    const auto &state = entry::state();
    EXPECT_EQ(state.appType, 6);
    EXPECT_EQ(state.appTypeName, u"Unknown");
    EXPECT_FALSE(state.headless);
    EXPECT_EQ(state.debugPort, 4410);
    EXPECT_NE(read_all(logs / "miscellaneous.log").find("INIT for Vantorel JDBC Plugin_Unknown"), std::string::npos);
}

TEST_F(Messages, ShutdownEndsTheLogAndTheNextLineStartsItAfresh) {
    send(FMX_MSG_INIT, FMX_APP_PRO);
    send(FMX_MSG_SHUTDOWN);
    const fs::path file = logs / "Vantorel JDBC Plugin_FMPro.log";
    const std::string before = read_all(file);
    EXPECT_NE(before.find("*** SHUTDOWN Vantorel JDBC Plugin_FMPro ***\n"), std::string::npos);
    EXPECT_NE(before.find(") Shutdown complete\n"), std::string::npos);
    EXPECT_FALSE(vlog::current_path());

    vlog::log("after\n");
    const std::string after = read_all(file);
    EXPECT_EQ(after.find("INIT"), std::string::npos);
    EXPECT_NE(after.find(") after\n"), std::string::npos);
}

TEST_F(Messages, OtherKindsOnlyLeaveTheirInstanceAndCallbacks) {
    FMX_Unichar buffer[4] = {7, 7, 7, 7};
    record.result = reinterpret_cast<std::intptr_t>(buffer);
    record.param3 = 4;
    for (std::uint8_t kind : {2, 3, 6, 8, 255}) {
        // The record is the host's: what is kept of it is kept by value.
        auto other = std::make_unique<HostCallRecord>(record);
        other->message = kind;
        other->param1 = FMX_STRING_NAME;
        other->instanceID = 1000u + kind;
        other->cCurrentEnv = reinterpret_cast<FMX_CurrentEnvCallback>(std::uintptr_t{2000u} + kind);
        entry::dispatch(other.get());
        EXPECT_EQ(other->result, record.result);
        other.reset();
        EXPECT_EQ(entry::state().instanceID, 1000u + kind);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(entry::state().currentEnv), 2000u + kind);
    }
    EXPECT_EQ(buffer[0], 7);
    EXPECT_FALSE(entry::state().manifestLoaded);
    EXPECT_FALSE(fs::exists(logs));
}

TEST(OutputHook, StreamsWithoutDescriptorGoToTheDebuggerOutput) {
    // The VM calls it: nothing may be thrown back into the VM.
    static_assert(std::is_nothrow_invocable_v<decltype(&vlog::output_hook), std::FILE *, const char *, std::va_list>);
    TempDir dir;
    ScopedEnv debug("VNT_DEBUG_OUTPUT", (dir.path() / "debug.txt").string());
    char memory[64] = {};
    std::FILE *noDescriptor = fmemopen(memory, sizeof memory, "w");
    ASSERT_NE(noDescriptor, nullptr);
    auto hook = [](std::FILE *stream, const char *format, ...) {
        std::va_list args;
        va_start(args, format);
        const int n = vlog::output_hook(stream, format, args);
        va_end(args);
        return n;
    };
    EXPECT_EQ(hook(noDescriptor, "vm says %d\n", 42), 11);
    std::fclose(noDescriptor);
    EXPECT_EQ(read_all(dir.path() / "debug.txt"), "vm says 42\n");
    EXPECT_EQ(memory[0], '\0');

    std::FILE *file = std::fopen((dir.path() / "out.txt").c_str(), "w");
    EXPECT_EQ(hook(file, "to %s\n", "file"), 8);
    std::fclose(file);
    EXPECT_EQ(read_all(dir.path() / "out.txt"), "to file\n");
}

} // namespace
