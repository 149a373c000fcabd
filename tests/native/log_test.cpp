#include "log/log.h"

#include "entry/process_state.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <regex>
#include <thread>
#include <vector>

namespace {

using namespace testing_support;

// Each test gets its own documents folder, temp folder and debugger output,
// and starts with no settled log path before init.
class Log : public ::testing::Test {
protected:
    TempDir root;
    fs::path docs = root.path() / "docs";
    fs::path temp = root.path() / "temp";
    fs::path debug = root.path() / "debug.txt";
    fs::path logs = docs / "VntPlugin Logs";
    std::optional<ScopedEnv> registry, tempEnv, debugEnv;

    void SetUp() override {
        fs::create_directories(docs);
        fs::create_directories(temp);
        fs::permissions(temp, fs::perms::owner_all);
        write_registry(root.path() / "registry.reg", docs.string());
        registry.emplace("VNT_REGISTRY", (root.path() / "registry.reg").string());
        tempEnv.emplace("TEMP", temp.string());
        debugEnv.emplace("VNT_DEBUG_OUTPUT", debug.string());
        set_application_type(u"Unknown");
    }
    void TearDown() override { set_application_type(u"Unknown"); }

    static void set_application_type(const std::u16string &name) {
        entry::state().pluginName = u"Vantorel JDBC Plugin";
        entry::state().appTypeName = name;
        vlog::forget_path();
    }
};

TEST_F(Log, BeforeInitEveryLineGoesToTheMiscellaneousLog) {
    write_all(logs.parent_path() / "keep", "");
    fs::create_directories(logs);
    write_all(logs / "miscellaneous.log", "older line\n");
    vlog::log("first %d\n", 1);
    vlog::log("second %S and %s\n", std::u16string(u"wide"), "narrow");

    const std::string misc = read_all(logs / "miscellaneous.log");
    EXPECT_EQ(misc.rfind("older line\n", 0), 0u);
    EXPECT_NE(misc.find(") first 1\n"), std::string::npos);
    EXPECT_NE(misc.find(") second wide and narrow\n"), std::string::npos);
    EXPECT_EQ(count(read_all(temp / "Vnttemp.log"), "---Started temp log at "), 2u);
    EXPECT_FALSE(vlog::current_path());
}

TEST_F(Log, FirstLineAfterInitRestartsThePluginLog) {
    fs::create_directories(logs);
    const fs::path pluginLog = logs / "Vantorel JDBC Plugin_FMPro.log";
    write_all(pluginLog, "from an earlier process\n");
    set_application_type(u"FMPro");
    vlog::log("one\n");
    vlog::log("two\n");

    const std::string text = read_all(pluginLog);
    EXPECT_EQ(text.find("earlier"), std::string::npos);
    ASSERT_EQ(count(text, "(C++ "), 2u);
    EXPECT_LT(text.find(") one\n"), text.find(") two\n"));
    EXPECT_EQ(vlog::current_path(), platform::widen(pluginLog.string()));
    const std::string tempLog = read_all(temp / "Vnttemp.log");
    EXPECT_NE(tempLog.find("for Vantorel JDBC Plugin / FMPro---"), std::string::npos);
    EXPECT_NE(tempLog.find("Writing to log file at " + pluginLog.string()), std::string::npos);
}

TEST_F(Log, LongMessagesReachTheFileWholeAndTheDebuggerCut) {
    set_application_type(u"FMPro");
    const std::string message(3000, 'x');
    vlog::log("%s\n", message);

    const std::string text = read_all(logs / "Vantorel JDBC Plugin_FMPro.log");
    EXPECT_NE(text.find(message + "\n"), std::string::npos);
    EXPECT_EQ(read_all(debug), "(C++) " + std::string(1023, 'x'));
}

TEST_F(Log, TimeTextHasTheAsctimeLayout) {
    set_application_type(u"FMPro");
    vlog::log("x\n");
    const std::string text = read_all(logs / "Vantorel JDBC Plugin_FMPro.log");
    EXPECT_TRUE(std::regex_search(text, std::regex(R"(^\(C\+\+ \w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}\) x\n$)")))
        << text;
}

TEST_F(Log, LogPathsBeyond255UnitsAreRefused) {
    const std::string tail = "/VntPlugin Logs/Vantorel JDBC Plugin_FMPro.log";
    const std::size_t room = 255 - tail.size() - docs.string().size() - 1;
    for (const std::size_t extra : {0, 1}) {
        SCOPED_TRACE(extra);
        const fs::path folder = docs / std::string(room + extra, 'd');
        fs::create_directories(folder);
        write_registry(root.path() / "registry.reg", folder.string());
        set_application_type(u"FMPro");
        testing::internal::CaptureStdout();
        vlog::log("line\n");
        const std::string out = testing::internal::GetCapturedStdout();
        const fs::path file = folder.string() + tail;
        if (extra == 0) {
            EXPECT_EQ(file.string().size(), 255u);
            EXPECT_NE(read_all(file).find(") line\n"), std::string::npos);
        } else {
            EXPECT_NE(out.find("Log path too long"), std::string::npos);
            EXPECT_FALSE(vlog::current_path());
            EXPECT_FALSE(fs::exists(file));
        }
    }
}

TEST_F(Log, AnUnopenableLogFileIsReportedAndRetried) {
    set_application_type(u"FMPro");
    // A folder where the file should be, which cannot be removed either.
    fs::create_directories(logs / "Vantorel JDBC Plugin_FMPro.log" / "inside");
    testing::internal::CaptureStdout();
    vlog::log("lost\n");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Could not open log file at "), std::string::npos);
    EXPECT_FALSE(vlog::current_path());
}

TEST_F(Log, LinesFromSeveralThreadsAllArrive) {
    // Before init every line settles and forgets the path: the threads would
    // trample on it without the log's lock.
    constexpr int kThreads = 8, kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                vlog::log("thread %d line %d\n", t, i);
        });
    for (auto &thread : threads)
        thread.join();

    const std::string misc = read_all(logs / "miscellaneous.log");
    EXPECT_EQ(count(misc, "(C++ "), static_cast<std::size_t>(kThreads * kLines));
    for (int t = 0; t < kThreads; ++t)
        EXPECT_NE(misc.find(") thread " + std::to_string(t) + " line " + std::to_string(kLines - 1) + "\n"),
                  std::string::npos);
}

TEST(LogFormat, UnicodeConversionsBecomeNarrow) {
    EXPECT_EQ(vlog::detail::narrow_format("%S %s %-5S %%S %d"), "%s %s %-5s %%S %d");
}

} // namespace
