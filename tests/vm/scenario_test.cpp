// The plug-in with a real Java VM, one vm_driver process per scenario, most
// of them with the test plug-in (the real bridge and framework, and a plug-in
// whose functions report what they see): init end to end, discovery errors as
// the user sees them, option lists from marker files, idle, shutdown and
// preferences, function calls from known and foreign threads, the bridge's
// natives, and runs under -Xcheck:jni.
#include "vm_support.h"

#include <gtest/gtest.h>

namespace {

using namespace vmtest;

const std::string kError1 = "Download it from https://adoptium.net/ (error 1)";

std::vector<std::string> options_for(const JavaRuntime &java) {
    const std::string lib = java.home + "/lib";
    return {"-Xms4m",
            "-Xmx64m",
            "",
            "vfprintf",
            "-Xbootclasspath/a:" + lib + "/deploy.jar:" + lib + "/plugin.jar:" + lib + "/javaws.jar",
            "--enable-native-access=ALL-UNNAMED"};
}

// Lines of the hosted log carry their level: "CONFIG: message".
bool logged(const std::string &log, const std::string &line) {
    return log.find(line + "\n") != std::string::npos;
}

// Warnings of -Xcheck:jni, and only those: a runtime's other warnings (such
// as Java 17's about installing a security manager) are not JNI's.
std::string jni_warnings(const RunResult &run) {
    std::string found;
    for (const auto &line : lines_of(run.out + run.err))
        if (line.find("WARNING in native method") != std::string::npos || line.starts_with("WARNING: JNI") ||
            line.find("FATAL ERROR in native method") != std::string::npos)
            found += line + "\n";
    return found;
}

// Init on a runtime: the VM is made once, the bridge gets what the host
// sent, the plug-in starts and its result reaches the host.
void expect_init_end_to_end(Scenario &scenario, const JavaRuntime &java) {
    scenario.set_java(java);
    scenario.hosted_log_level("FINER");
    const RunResult run = scenario.run({"name", "init:1:57", "init:1:300:unsafe", "call:tpThread"});
    ASSERT_EQ(run.status, 0) << run.err;
    // API version 300 is out of range: the bridge answers -1 at once.
    EXPECT_EQ(run.results("init"), (std::vector<std::string>{"51", "-1"})) << run.out << run.err;
    EXPECT_EQ(run.results("call"), std::vector<std::string>{"tpThread 0 main daemon=false"});

    const std::string log = scenario.log();
    EXPECT_NE(log.find(") Found JVM dll at " + java.lib + "\n"), std::string::npos) << log;
    EXPECT_EQ(count(log, ") No existing JVM found; creating one.\n"), 1u) << log;
    EXPECT_TRUE(std::regex_search(log, std::regex(R"(\) JVM started successfully - jvm references is \d+\n)")));
    auto expected = options_for(java);
    expected[2] = "-Djava.util.logging.config.file=" + scenario.temp().string() + "/logging.properties";
    EXPECT_EQ(scenario.logged_options(), expected);

    // sharedInstance: bundle path, bridge version, log path; the archive's
    // class loader over a file URL with the path unescaped.
    const std::string archive = scenario.temp().string() + "/TestPlugin.jar";
    EXPECT_TRUE(logged(log, "CONFIG: Loading dynamic library at " + std::string(VM_TEST_PLUGIN))) << log;
    EXPECT_TRUE(logged(log, "CONFIG: Loading plugin jar at " + archive));
    EXPECT_TRUE(logged(log, "bundlePath: " + std::string(VM_TEST_PLUGIN) + ";" + archive));
    EXPECT_TRUE(logged(log, "INFO: Creating shared PluginBridge instance / plugin bridge version 1.54"));
    EXPECT_TRUE(logged(log, "CONFIG: Will write normal log file to " +
                                (scenario.docs() / "VntPlugin Logs" / "Vantorel Test Plugin_FMPro.log").string()));
    EXPECT_TRUE(logged(log, "CONFIG: Test plug-in started on thread main, daemon false, loaded from file:" + archive));
    // fmxInit: the API version, the application type, no version text, the
    // instance handle and the call-backs as tokens.
    const std::string tokens = run.token("instance") + ", ";
    EXPECT_TRUE(logged(log, "FINER: fmxInit(57, 1, null, " + tokens + "false, " + run.token("start") + ", " +
                                run.token("env") + ")"))
        << log;
    EXPECT_TRUE(logged(log, "FINER: fmxInit(300, 1, null, " + tokens + "true, " + run.token("start") + ", " +
                                run.token("env") + ")"));
    EXPECT_EQ(count(log, "CONFIG: Loading dynamic library at "), 1u);
    // Every method of the native side's table was found, once.
    EXPECT_EQ(log.find("*** Could not find"), std::string::npos) << log;
}

TEST(Init, EndToEndWithOpenJdk17AndATempFolderWithSpaces) {
    Scenario scenario("temp folder with spaces");
    expect_init_end_to_end(scenario, jdk17());
}

TEST(Init, EndToEndWithTheNewerRuntime) {
    const auto java = temurin25();
    if (!java)
        GTEST_SKIP() << "no runtime at /usr/lib/jvm/temurin-25-jdk-amd64";
    Scenario scenario;
    expect_init_end_to_end(scenario, *java);
    // This runtime refuses a security manager: start-up goes on, and says so
    // once. Nothing warns about the plug-in's native library either.
    const RunResult again = scenario.run({"name", "init:1", "init:1"});
    EXPECT_EQ(again.results("init"), (std::vector<std::string>{"51", "51"})) << again.err;
    EXPECT_EQ(count(scenario.log(), "CONFIG: This Java runtime does not allow a security manager"), 1u)
        << scenario.log();
    EXPECT_EQ(again.err.find("restricted method"), std::string::npos) << again.err;
}

TEST(Init, ApiVersionBoundsAndASecondInit) {
    Scenario scenario;
    scenario.hosted_log_level("FINE");
    const RunResult run = scenario.run({"name", "init:1:3", "init:1:256", "init:1:4", "init:1:255", "call:tpEcho:x"});
    EXPECT_EQ(run.results("init"), (std::vector<std::string>{"-1", "-1", "51", "51"})) << run.err;
    EXPECT_EQ(run.results("call"), std::vector<std::string>{"tpEcho 0 x"});
    // Functions are found and registered by the first init that succeeds,
    // and only by it; the plug-in's start-up hook runs at each.
    const std::string log = scenario.log();
    EXPECT_EQ(count(log, "registering PluginFunction{name='tpEcho'"), 1u) << log;
    EXPECT_EQ(count(log, "} scanning functions"), 1u);
    EXPECT_EQ(count(log, "CONFIG: Test plug-in started on thread main"), 2u);
}

TEST(Init, FailuresOfTheHostedStartReachTheHost) {
    // An exception out of fmxInit is reported; the call's value is passed on.
    Scenario failing;
    failing.env("VNT_TEST_FAIL", "init");
    const RunResult failed = failing.run({"name", "init:1"});
    EXPECT_EQ(failed.results("init"), std::vector<std::string>{"0"});
    EXPECT_NE(failed.err.find("IllegalStateException: test plug-in: init fails as asked"), std::string::npos)
        << failed.err;
    EXPECT_TRUE(logged(failing.log(), "SEVERE: Could not initialize plugin")) << failing.log();

    // A prototype method that returns no string ends the start-up too.
    Scenario odd;
    odd.env("VNT_TEST_ODD_PROTOTYPE", "1");
    const RunResult oddRun = odd.run({"name", "init:1"});
    EXPECT_EQ(oddRun.results("init"), std::vector<std::string>{"0"});
    EXPECT_NE(oddRun.err.find("java.lang.ClassCastException"), std::string::npos) << oddRun.err;
}

TEST(Init, AMissingBridgeClassIsLoggedAndNotEnabled) {
    Scenario scenario;
    const RunResult run = scenario.run({"name", "init:1", "init:1"}, VM_NOBRIDGE_PLUGIN);
    EXPECT_EQ(run.results("init"), (std::vector<std::string>{"-2", "-2"})) << run.err;
    const std::string log = scenario.log("FMPro", "Vantorel JDBC Plugin");
    // Retried at each init, once per message.
    EXPECT_EQ(count(log, ") An error occurred while trying to load com.tessal.veskor.PluginBridge. Make sure that "
                         "it is loaded in a jar called 'plugin.jar'\n"),
              2u)
        << log;
    EXPECT_NE(run.err.find("java.lang.ClassNotFoundException: com.tessal.veskor.PluginBridge"), std::string::npos);
    EXPECT_EQ(count(run.err, "[message box]"), 0u);
}

TEST(Init, DiscoveryErrorsAreLoggedAndTheUserSeesError1Once) {
    const JavaRuntime java = jdk17();
    const std::string key = "[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment]\n";
    const std::string sub = "[HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment\\17]\n";
    const std::string version = "\"CurrentVersion\"=\"17\"\n\n";
    const std::string home = "\"JavaHome\"=\"" + java.home + "\"\n";
    struct Case {
        int error;
        std::string section;
    };
    const Case cases[] = {
        {2, ""},
        {3, key + "\"Other\"=\"x\"\n\n"},
        {4, key + "\"CurrentVersion\"=\"1.9\"\n\n" + sub + home},
        {5, key + version + sub + "\"RuntimeLib\"=\"" + java.lib + "\"\n"},
        {6, key + version + sub + home},
        {7, key + version + sub + home + "\"RuntimeLib\"=\"libjvm.so\"\n"},
        {8, key + version + sub + home + "\"RuntimeLib\"=\"" + java.home + "/lib/server/missing.so\"\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("error " + std::to_string(c.error));
        Scenario scenario;
        scenario.set_java_section(c.section);
        const RunResult run = scenario.run({"name", "init:1", "init:1"});
        EXPECT_EQ(run.results("init"), (std::vector<std::string>{"-2", "-2"})) << run.err;
        const auto messages = scenario.log_messages();
        ASSERT_GE(messages.size(), 2u);
        EXPECT_TRUE(messages[0].starts_with(" *** INIT for Vantorel Test Plugin_FMPro at ")) << messages[0];
        EXPECT_EQ(messages[1], "Vantorel plugins require Java 1.4 or later, which is not installed on this "
                               "computer. Download it from https://adoptium.net/ (error " +
                                   std::to_string(c.error) + ")");
        const std::string log = scenario.log();
        EXPECT_NE(log.find(") *** SEVERE: Could not locate JNI_CreateJavaVM routine\n"), std::string::npos) << log;
        EXPECT_NE(log.find(") jvmError: Vantorel plugins require Java 1.4 or later, which is not installed on this "
                           "computer. " +
                           kError1 + "\n"),
                  std::string::npos);
        EXPECT_EQ(count(log, ") Returning kDoNotEnable(-2) and detaching JVM\n"), 2u);
        EXPECT_EQ(count(run.err, "[message box]"), 1u) << run.err;
        EXPECT_NE(run.err.find("[message box] Vantorel plugins require Java 1.4 or later, which is not installed on "
                               "this computer. " +
                               kError1 + "\n"),
                  std::string::npos)
            << run.err;
    }
}

TEST(Init, NoMessageBoxInServerOrWpeOrAfterTheHeadlessMarker) {
    for (const auto &[type, name] : {std::pair{"3", "Server"}, std::pair{"4", "WPE"}}) {
        Scenario scenario;
        scenario.set_java_section("");
        const RunResult run = scenario.run({"name", std::string("init:") + type});
        EXPECT_EQ(run.results("init"), std::vector<std::string>{"-2"});
        EXPECT_NE(scenario.log(name).find("jvmError: "), std::string::npos);
        EXPECT_EQ(count(run.err, "[message box]"), 0u) << name;
    }
    // The runtime is found but refuses the options (a heap size that is no
    // number): error 1, logged, and in headless mode nobody is told.
    Scenario headless;
    headless.marker("headless");
    headless.marker("memorysize", "lots");
    const RunResult run = headless.run({"name", "init:1"});
    EXPECT_EQ(run.results("init"), std::vector<std::string>{"-2"}) << run.err;
    const std::string log = headless.log();
    EXPECT_NE(log.find(") Forcing headless mode\n"), std::string::npos);
    EXPECT_NE(log.find(") Enabling headless mode\n"), std::string::npos);
    EXPECT_TRUE(std::regex_search(log, std::regex(R"(\) Error while creating JVM: -?\d+\n)"))) << log;
    EXPECT_NE(log.find(") jvmError: Vantorel plugins require Java 1.4 or later, which is not installed on this "
                       "computer. " +
                       kError1 + "\n"),
              std::string::npos);
    EXPECT_EQ(count(run.err, "[message box]"), 0u) << run.err;
}

TEST(VmOptions, ListsReadFromTheLog) {
    const JavaRuntime java = jdk17();
    const std::string lib = java.home + "/lib";
    struct Case {
        const char *name;
        std::vector<std::string> markers;
        std::string memory;
        std::string appType;
        JavaRuntime runtime;
        std::vector<std::string> expected; // "" stands for the logging option
        std::vector<std::string> logLines;
    };
    const auto boot = options_for(java)[4];
    const auto access = options_for(java)[5];
    const std::string jdwp = "-Xrunjdwp:transport=dt_socket,address=";
    JavaRuntime legacy = java;
    legacy.version = "1.8";
    const Case cases[] = {
        {"no markers", {}, "", "1", java, {"-Xms4m", "-Xmx64m", "", "vfprintf", boot, access}, {}},
        {"debug",
         {"debug"},
         "",
         "1",
         java,
         {"-Xms4m", "-Xmx64m", "-Xdebug", jdwp + "4410,server=y,suspend=n", "", "vfprintf", boot, access},
         {"Enabling debugger", "Enabling Java debugger on port 4410"}},
        {"debug and profile",
         {"debug", "profile"},
         "",
         "1",
         java,
         {"-Xms4m", "-Xmx64m", "-agentlib:yjpagent", "", "vfprintf", boot, access},
         {"Enabling debugger", "Enabling profiler"}},
        {"debug in Server",
         {"debug"},
         "",
         "3",
         java,
         {"-Xms4m", "-Xmx64m", "-Xdebug", jdwp + "4412,server=y,suspend=n", "-Djava.awt.headless=true", "", "vfprintf",
          boot, access},
         {"Enabling Java debugger on port 4412", "Enabling headless mode"}},
        {"memorysize 256",
         {},
         "256",
         "1",
         java,
         {"-Xms4m", "-Xmx256m", "", "vfprintf", boot, access},
         {"Found custom memory file, -Xmx256m", "JVM started successfully"}},
        {"a 1.x runtime keeps the extension folders and knows no native access",
         {},
         "",
         "1",
         legacy,
         {"-Xms4m", "-Xmx64m", "", "vfprintf", boot,
          "-Djava.ext.dirs=" + lib + "/ext:" + lib + ":" + lib + "/deploy:/usr/java/packages/lib/ext:"},
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Scenario scenario;
        scenario.set_java(c.runtime);
        for (const auto &marker : c.markers)
            scenario.marker(marker);
        if (!c.memory.empty())
            scenario.marker("memorysize", c.memory);
        // Only the option log matters here: a debugger port in use or a
        // missing profiler agent may stop the VM, as it would in the host.
        scenario.run({"name", "init:" + c.appType});
        const std::string appType = c.appType == "3" ? "Server" : "FMPro";
        auto expected = c.expected;
        for (auto &option : expected)
            if (option.empty())
                option = "-Djava.util.logging.config.file=" + scenario.temp().string() + "/logging.properties";
        EXPECT_EQ(scenario.logged_options(appType), expected);
        const std::string log = scenario.log(appType);
        std::size_t last = 0;
        for (const auto &line : c.logLines) {
            const auto at = log.find(") " + line, last);
            EXPECT_NE(at, std::string::npos) << line << "\n" << log;
            last = at == std::string::npos ? last : at;
        }
    }
}

TEST(Threads, ForeignThreadsAreAttachedAsDaemonsForOneCallAndDetachedAfter) {
    Scenario scenario;
    const RunResult run = scenario.run({"name", "init:1", "idle:2", "idle-thread:3", "call:tpIdleCount",
                                        "call-thread:tpThread", "call-thread:tpThread", "call:tpThread", "live",
                                        "shutdown"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto calls = run.results("call");
    const auto threadCalls = run.results("call-thread");
    ASSERT_EQ(calls.size(), 2u) << run.out << run.err;
    ASSERT_EQ(threadCalls.size(), 2u);
    // Idle work runs on the host's main thread (the one that made the VM,
    // named "main"); an idle on another thread reaches the bridge but not
    // the plug-in.
    EXPECT_EQ(calls[0], "tpIdleCount 0 1 last=2");
    EXPECT_EQ(calls[1], "tpThread 0 main daemon=false");
    const std::regex attached(R"(tpThread 0 (Thread-\d+) daemon=true)");
    std::smatch first, second;
    ASSERT_TRUE(std::regex_match(threadCalls[0], first, attached)) << threadCalls[0];
    ASSERT_TRUE(std::regex_match(threadCalls[1], second, attached)) << threadCalls[1];
    EXPECT_NE(first[1], second[1]);
    // Every host object of the calls is gone with them.
    EXPECT_EQ(run.results("live"), std::vector<std::string>{"0 "});
    // The foreign threads left the VM again; the main thread stayed.
    const std::string log = scenario.log();
    EXPECT_TRUE(logged(log, "CONFIG: Test plug-in shut down after 1 idle messages")) << log;
    const auto at = log.find("INFO: Shutting down - Active threads: [");
    ASSERT_NE(at, std::string::npos) << log;
    const std::string threads = log.substr(at, log.find('\n', at) - at);
    EXPECT_NE(threads.find("Thread[main,"), std::string::npos) << threads;
    EXPECT_EQ(threads.find("Thread[" + first[1].str() + ","), std::string::npos) << threads;
    EXPECT_EQ(threads.find("Thread[" + second[1].str() + ","), std::string::npos) << threads;
}

TEST(Threads, AHostFailureReachesThePluginOnAnyThread) {
    // The value natives turn a failure the host reports into the hosted
    // HostFailureException, found through the archive's class loader, also
    // on a thread the VM did not know before the call.
    Scenario scenario;
    // The host's first text is the call's argument; the second, the plug-in's.
    const RunResult run = scenario.run({"name", "init:1", "fail:FM_Text_Constructor1:1", "call-thread:tpEcho:x",
                                        "call-thread:tpLastError", "live"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.results("call-thread"),
              (std::vector<std::string>{"tpEcho 0 ERROR", "tpLastError 0 com.tessal.veskor.HostFailureException: "
                                                          "FM_Text_Constructor1 failed: host error 2"}))
        << run.err;
    EXPECT_EQ(run.results("live"), std::vector<std::string>{"0 "});
}

TEST(Idle, ServerAndUnsafeTouchNothingWpeReachesThePlugin) {
    Scenario server;
    const RunResult serverRun = server.run({"name", "init:3", "idle", "idle-thread", "call:tpIdleCount"});
    EXPECT_EQ(serverRun.results("call"), std::vector<std::string>{"tpIdleCount 0 0 last=-1"}) << serverRun.err;

    Scenario wpe;
    const RunResult wpeRun = wpe.run({"name", "init:4", "idle", "call:tpIdleCount"});
    EXPECT_EQ(wpeRun.results("call"), std::vector<std::string>{"tpIdleCount 0 1 last=0"}) << wpeRun.err;

    // Before any init, an unsafe idle does not even look for a VM.
    Scenario unsafe;
    const RunResult run = unsafe.run({"name", "idle:unsafe"});
    EXPECT_EQ(run.results("idle"), std::vector<std::string>{"done"});
    const std::string log = read_all(unsafe.docs() / "VntPlugin Logs" / "miscellaneous.log");
    EXPECT_EQ(log.find("JVM"), std::string::npos) << log;
}

TEST(Idle, OnlyInitMakesTheVm) {
    // Before init there is no VM, and idle, preferences and shutdown make none.
    Scenario scenario;
    const RunResult run = scenario.run({"name", "idle", "idle-thread", "prefs", "shutdown"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string log = read_all(scenario.docs() / "VntPlugin Logs" / "miscellaneous.log");
    EXPECT_EQ(log.find("No existing JVM found"), std::string::npos) << log;
    EXPECT_EQ(log.find("Will skip idle handler"), std::string::npos) << log;
    EXPECT_NE(log.find(") Skipping fmxDoAppPreferences: no Java VM\n"), std::string::npos);
    EXPECT_NE(log.find(") Skipping fmxShutdown: no Java VM\n"), std::string::npos);
    EXPECT_NE(log.find(") Shutdown complete\n"), std::string::npos);
    EXPECT_EQ(count(run.err, "[message box]"), 0u);
}

TEST(Shutdown, CallsThePluginAndTheNextLineStartsTheLogAfresh) {
    Scenario scenario;
    const RunResult run = scenario.run({"name", "init:1", "shutdown", "init:1", "call:tpEcho:again"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.results("init"), (std::vector<std::string>{"51", "51"}));
    // The second init found the bridge and its functions: nothing is made or
    // registered twice, and the plug-in's start-up hook runs again.
    EXPECT_EQ(run.results("call"), std::vector<std::string>{"tpEcho 0 again"});
    const std::string log = scenario.log();
    EXPECT_EQ(count(log, "*** INIT for"), 1u) << log;
    EXPECT_EQ(log.find("Shutdown complete"), std::string::npos);
    EXPECT_EQ(log.find("No existing JVM found"), std::string::npos);
    EXPECT_EQ(log.find("Loading dynamic library"), std::string::npos);
    EXPECT_TRUE(logged(log, "CONFIG: Test plug-in started on thread main, daemon false, loaded from file:" +
                                scenario.temp().string() + "/TestPlugin.jar"));
    EXPECT_EQ(count(run.out, "Writing to log file at " + (scenario.docs() / "VntPlugin Logs").string() +
                                 "/Vantorel Test Plugin_FMPro.log"),
              2u);
}

TEST(Natives, EventLoopAndClipboardThroughTheBridge) {
    Scenario scenario;
    const RunResult run = scenario.run({"name", "init:1", "prefs:unsafe", "call:tpAwaitEvents", "call:tpClipboard"},
                                       VM_TEST_PLUGIN, std::chrono::seconds(60));
    ASSERT_EQ(run.status, 0) << run.err; // a loop that never woke would time out
    // Preferences started the toolkit (the host thread ran the event loop
    // until the toolkit was up) and ran the configuration on its thread,
    // which without a display only logs.
    const std::string log = scenario.log();
    EXPECT_NE(log.find(") *** DO PREFS ***\n"), std::string::npos);
    EXPECT_TRUE(logged(log, "INFO: No configuration dialog for Vantorel Test Plugin: the Java VM runs without a "
                            "display"))
        << log;
    const auto calls = run.results("call");
    ASSERT_EQ(calls.size(), 2u) << run.out << run.err;
    EXPECT_EQ(calls[0], "tpAwaitEvents 0 done");
    // Setting replaces the whole clipboard; null data empties it; the Mac
    // natives are not in this library.
    EXPECT_EQ(calls[1], "tpClipboard 0 [13] [1, 2, 3, 0, -1] absent []; [7] [42] replaced 0; []; "
                        "mac UnsatisfiedLinkError");
}

TEST(CheckJni, NoWarningsOnAnyPath) {
    struct Case {
        const char *name;
        std::string plugin;
        std::map<std::string, std::string> env;
    };
    const Case cases[] = {
        {"every message, calls from known and foreign threads", VM_TEST_PLUGIN, {}},
        {"exceptions out of the bridge", VM_TEST_PLUGIN, {{"VNT_TEST_FAIL", "init"}}},
        {"no bridge class", VM_NOBRIDGE_PLUGIN, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Scenario scenario;
        scenario.env("JAVA_TOOL_OPTIONS",
                     "-Xcheck:jni -Djava.util.prefs.userRoot=" + (scenario.root() / "prefs").string());
        for (const auto &[name, value] : c.env)
            scenario.env(name, value);
        const RunResult run = scenario.run({"name", "init:1", "call:tpEcho:x", "call-thread:tpThread",
                                            "call:tpFeedback:boom", "call:tpLastError", "call:tpJoin:a:b:c", "idle",
                                            "idle-thread", "prefs", "call:tpAwaitEvents", "call:tpClipboard",
                                            "shutdown", "init:1", "idle-thread", "call-thread:tpNull"},
                                           c.plugin);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("Picked up JAVA_TOOL_OPTIONS: -Xcheck:jni"), std::string::npos);
        EXPECT_EQ(run.results("idle-thread").size(), 2u);
        EXPECT_EQ(jni_warnings(run), "");
    }
}

} // namespace
