// The plug-in with a real Java VM, one vm_driver process per scenario: init
// end to end through the fixture bridge, discovery errors as the user sees
// them, option lists from marker files, idle, shutdown and preferences, the
// bridge's natives, and a run under -Xcheck:jni.
#include "vm_support.h"

#include <gtest/gtest.h>

namespace {

using namespace vmtest;

const std::string kError1 = "Download it from https://adoptium.net/ (error 1)";

std::vector<std::string> options_for(const JavaRuntime &java) {
    const std::string lib = java.home + "/lib";
    return {"-Xms4m", "-Xmx64m", "", "vfprintf",
            "-Xbootclasspath/a:" + lib + "/deploy.jar:" + lib + "/plugin.jar:" + lib + "/javaws.jar"};
}

// Init on a runtime: the VM is made once, the bridge gets what the host
// sent, and the result reaches the host.
void expect_init_end_to_end(Scenario &scenario, const JavaRuntime &java) {
    scenario.set_java(java);
    const RunResult run = scenario.run({"name", "init:1:57", "init:1:300:unsafe"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.results("init"), (std::vector<std::string>{"51", "51"})) << run.out << run.err;

    const std::string log = scenario.log();
    EXPECT_NE(log.find(") Found JVM dll at " + java.lib + "\n"), std::string::npos) << log;
    EXPECT_EQ(count(log, ") No existing JVM found; creating one.\n"), 1u) << log;
    EXPECT_TRUE(std::regex_search(log, std::regex(R"(\) JVM started successfully - jvm references is \d+\n)")));
    auto expected = options_for(java);
    expected[2] = "-Djava.util.logging.config.file=" + scenario.temp().string() + "/logging.properties";
    EXPECT_EQ(scenario.logged_options(), expected);

    const std::string archive = scenario.temp().string() + "/JDBC.jar";
    const auto shared = scenario.records("sharedInstance");
    ASSERT_EQ(shared.size(), 1u) << read_all(scenario.record_file());
    EXPECT_EQ(shared[0].at("bundle"), std::string(VM_FIXTURE_PLUGIN) + ";" + archive);
    EXPECT_EQ(shared[0].at("version"), "1.54");
    EXPECT_EQ(shared[0].at("appType"), "1");
    EXPECT_EQ(shared[0].at("logpath"),
              (scenario.docs() / "VntPlugin Logs" / "Vantorel JDBC Plugin_FMPro.log").string());
    EXPECT_EQ(shared[0].at("urlProtocol"), "file");
    EXPECT_EQ(shared[0].at("urlHost"), "");
    EXPECT_EQ(shared[0].at("urlPath"), archive);
    const auto load = scenario.records("load");
    ASSERT_EQ(load.size(), 1u);
    EXPECT_EQ(load[0].words, std::vector<std::string>{"ok"});

    const auto inits = scenario.records("fmxInit");
    ASSERT_EQ(inits.size(), 2u);
    for (const auto &init : inits) {
        EXPECT_EQ(init.at("versionString"), "null");
        EXPECT_EQ(init.at("instance"), run.token("instance"));
        EXPECT_EQ(init.at("start"), run.token("start"));
        EXPECT_EQ(init.at("env"), run.token("env"));
        EXPECT_EQ(init.at("thread"), "main");
        EXPECT_EQ(init.at("daemon"), "false");
    }
    EXPECT_EQ(inits[0].at("api"), "57");
    EXPECT_EQ(inits[0].at("unsafe"), "false");
    EXPECT_EQ(inits[1].at("api"), "300");
    EXPECT_EQ(inits[1].at("unsafe"), "true");
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
}

TEST(Init, TheBridgeResultReachesTheHostSignExtended) {
    Scenario scenario;
    scenario.env("VNT_FIXTURE_INIT_RESULT", "-1");
    const RunResult run = scenario.run({"name", "init:1"});
    EXPECT_EQ(run.results("init"), std::vector<std::string>{"-1"}) << run.err;

    // An exception out of fmxInit is reported; the call's value is passed on.
    Scenario failing;
    failing.env("VNT_FIXTURE_FAIL", "fmxInit");
    const RunResult failed = failing.run({"name", "init:1"});
    EXPECT_EQ(failed.results("init"), std::vector<std::string>{"0"});
    EXPECT_NE(failed.err.find("IllegalStateException: fixture: fmxInit fails as asked"), std::string::npos)
        << failed.err;
}

TEST(Init, AMissingBridgeClassIsLoggedAndNotEnabled) {
    Scenario scenario;
    const RunResult run = scenario.run({"name", "init:1", "init:1"}, VM_NOBRIDGE_PLUGIN);
    EXPECT_EQ(run.results("init"), (std::vector<std::string>{"-2", "-2"})) << run.err;
    const std::string log = scenario.log();
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
        EXPECT_TRUE(messages[0].starts_with(" *** INIT for Vantorel JDBC Plugin_FMPro at ")) << messages[0];
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
    const std::string jdwp = "-Xrunjdwp:transport=dt_socket,address=";
    JavaRuntime legacy = java;
    legacy.version = "1.8";
    const Case cases[] = {
        {"no markers", {}, "", "1", java, {"-Xms4m", "-Xmx64m", "", "vfprintf", boot}, {}},
        {"debug",
         {"debug"},
         "",
         "1",
         java,
         {"-Xms4m", "-Xmx64m", "-Xdebug", jdwp + "4410,server=y,suspend=n", "", "vfprintf", boot},
         {"Enabling debugger", "Enabling Java debugger on port 4410"}},
        {"debug and profile",
         {"debug", "profile"},
         "",
         "1",
         java,
         {"-Xms4m", "-Xmx64m", "-agentlib:yjpagent", "", "vfprintf", boot},
         {"Enabling debugger", "Enabling profiler"}},
        {"debug in Server",
         {"debug"},
         "",
         "3",
         java,
         {"-Xms4m", "-Xmx64m", "-Xdebug", jdwp + "4412,server=y,suspend=n", "-Djava.awt.headless=true", "", "vfprintf",
          boot},
         {"Enabling Java debugger on port 4412", "Enabling headless mode"}},
        {"memorysize 256",
         {},
         "256",
         "1",
         java,
         {"-Xms4m", "-Xmx256m", "", "vfprintf", boot},
         {"Found custom memory file, -Xmx256m", "JVM started successfully"}},
        {"a 1.x runtime keeps the extension folders",
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

TEST(Idle, AttachesForeignThreadsAsDaemonsAndDetachesThem) {
    Scenario scenario;
    const RunResult run = scenario.run({"name", "init:1", "idle:2", "idle-thread:3", "idle:unsafe", "shutdown"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto idles = scenario.records("fmxIdle");
    ASSERT_EQ(idles.size(), 2u) << read_all(scenario.record_file());
    EXPECT_EQ(idles[0].at("state"), "2");
    EXPECT_EQ(idles[0].at("thread"), "main");
    EXPECT_EQ(idles[0].at("daemon"), "false");
    EXPECT_EQ(idles[1].at("state"), "3");
    EXPECT_EQ(idles[1].at("daemon"), "true");
    for (const auto &idle : idles) {
        EXPECT_EQ(idle.at("unsafe"), "false");
        EXPECT_EQ(idle.at("start"), run.token("start"));
        EXPECT_EQ(idle.at("env"), run.token("env"));
    }
    // The main thread is still the VM's own (not re-attached as a daemon);
    // the idle thread is gone from the VM.
    const auto shutdown = scenario.records("fmxShutdown");
    ASSERT_EQ(shutdown.size(), 1u);
    EXPECT_EQ(shutdown[0].at("thread"), "main");
    EXPECT_EQ(shutdown[0].at("daemon"), "false");
    EXPECT_EQ(shutdown[0].at("threads").find(idles[1].at("thread") + ","), std::string::npos);
    EXPECT_EQ(shutdown[0].at("threads").find(idles[1].at("thread") + "]"), std::string::npos);
}

TEST(Idle, ServerAndUnsafeTouchNothingWpeReachesTheBridge) {
    Scenario server;
    server.run({"name", "init:3", "idle", "idle-thread"});
    EXPECT_EQ(server.records("fmxInit").size(), 1u);
    EXPECT_TRUE(server.records("fmxIdle").empty());

    Scenario wpe;
    wpe.run({"name", "init:4", "idle"});
    EXPECT_EQ(wpe.records("fmxIdle").size(), 1u);

    // Before any init, an unsafe idle does not even look for a VM.
    Scenario unsafe;
    const RunResult run = unsafe.run({"name", "idle:unsafe"});
    EXPECT_EQ(run.results("idle"), std::vector<std::string>{"done"});
    const std::string log = read_all(unsafe.docs() / "VntPlugin Logs" / "miscellaneous.log");
    EXPECT_EQ(log.find("JVM"), std::string::npos) << log;
}

TEST(Idle, WithoutAVmTheIdleIsSkippedQuietly) {
    // No init, so no runtime was discovered: the VM cannot be made.
    Scenario scenario;
    const RunResult run = scenario.run({"name", "idle", "prefs", "shutdown"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string log = read_all(scenario.docs() / "VntPlugin Logs" / "miscellaneous.log");
    EXPECT_NE(log.find(") Will skip idle handler because a JVM error occurred: (C++ "), std::string::npos) << log;
    EXPECT_NE(log.find(kError1 + "\n"), std::string::npos);
    EXPECT_NE(log.find(") Skipping fmxDoAppPreferences: no Java VM\n"), std::string::npos);
    EXPECT_NE(log.find(") Skipping fmxShutdown: no Java VM\n"), std::string::npos);
    EXPECT_NE(log.find(") Shutdown complete\n"), std::string::npos);
    EXPECT_EQ(count(run.err, "[message box]"), 0u);
}

TEST(Shutdown, CallsTheBridgeAndTheNextLineStartsTheLogAfresh) {
    Scenario scenario;
    const RunResult run = scenario.run({"name", "init:1", "shutdown", "init:1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.results("init"), (std::vector<std::string>{"51", "51"}));
    const auto shutdown = scenario.records("fmxShutdown");
    ASSERT_EQ(shutdown.size(), 1u);
    EXPECT_EQ(shutdown[0].at("unsafe"), "false");
    EXPECT_EQ(shutdown[0].at("start"), run.token("start"));
    EXPECT_EQ(shutdown[0].at("env"), run.token("env"));
    EXPECT_EQ(scenario.records("sharedInstance").size(), 1u);
    EXPECT_EQ(scenario.records("fmxInit").size(), 2u);
    // The second init deleted the log that ended with "Shutdown complete".
    const std::string log = scenario.log();
    EXPECT_EQ(count(log, "*** INIT for"), 1u) << log;
    EXPECT_EQ(log.find("Shutdown complete"), std::string::npos);
    EXPECT_EQ(log.find("No existing JVM found"), std::string::npos);
    EXPECT_EQ(count(run.out, "Writing to log file at " + (scenario.docs() / "VntPlugin Logs").string() +
                                 "/Vantorel JDBC Plugin_FMPro.log"),
              2u);
}

TEST(Natives, EventLoopWindowAndClipboardThroughPreferences) {
    Scenario scenario;
    scenario.env("VNT_FIXTURE_SCENARIO", "natives");
    const RunResult run = scenario.run({"name", "init:1", "prefs:unsafe"}, VM_FIXTURE_PLUGIN, std::chrono::seconds(30));
    ASSERT_EQ(run.status, 0) << run.err; // a loop that never woke would time out
    const auto prefs = scenario.records("fmxDoAppPreferences");
    ASSERT_EQ(prefs.size(), 1u);
    EXPECT_EQ(prefs[0].at("unsafe"), "true");
    EXPECT_EQ(prefs[0].at("start"), run.token("start"));
    EXPECT_EQ(prefs[0].at("thread"), "main");
    EXPECT_NE(scenario.log().find(") *** DO PREFS ***\n"), std::string::npos);

    const auto loops = scenario.records("eventLoop");
    ASSERT_EQ(loops.size(), 2u) << read_all(scenario.record_file());
    EXPECT_EQ(loops[0].words, (std::vector<std::string>{"stopFromThread", "returned"}));
    EXPECT_EQ(loops[1].words, (std::vector<std::string>{"stopBeforeStart", "returned"}));
    EXPECT_LT(std::stoi(loops[1].at("waitedMs")), 1000);

    const auto window = scenario.records("window");
    ASSERT_EQ(window.size(), 1u);
    EXPECT_EQ(window[0].at("front"), "0");
    EXPECT_EQ(window[0].at("setParent"), "0");
    EXPECT_NE(scenario.log().find(") SetParent failed with error code 1400\n"), std::string::npos);

    const auto clipboard = scenario.records("clipboard");
    ASSERT_EQ(clipboard.size(), 3u);
    EXPECT_EQ(clipboard[0].at("formats"), "[13]");
    EXPECT_EQ(clipboard[0].at("data"), "[1, 2, 3, 0, -1]");
    EXPECT_EQ(clipboard[0].at("absent"), "[]");
    EXPECT_EQ(clipboard[1].at("formats"), "[7]"); // setting replaces the whole clipboard
    EXPECT_EQ(clipboard[1].at("data"), "[42]");
    EXPECT_EQ(clipboard[1].at("replaced"), "0");
    EXPECT_EQ(clipboard[2].at("formats"), "[]"); // null data: emptied, nothing set
    EXPECT_EQ(scenario.records("mac").at(0).words, std::vector<std::string>{"UnsatisfiedLinkError"});
}

TEST(CheckJni, NoWarningsOnAnyPath) {
    const auto warnings = [](const RunResult &run) {
        std::string found;
        for (const auto &line : lines_of(run.out + run.err))
            if (line.find("WARNING") != std::string::npos || line.find("FATAL") != std::string::npos)
                found += line + "\n";
        return found;
    };
    struct Case {
        const char *name;
        std::string plugin;
        std::map<std::string, std::string> env;
    };
    const Case cases[] = {
        {"every message and the natives", VM_FIXTURE_PLUGIN, {{"VNT_FIXTURE_SCENARIO", "natives"}}},
        {"exceptions out of the bridge", VM_FIXTURE_PLUGIN, {{"VNT_FIXTURE_FAIL", "fmxIdle"}}},
        {"no bridge class", VM_NOBRIDGE_PLUGIN, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Scenario scenario;
        scenario.env("JAVA_TOOL_OPTIONS",
                     "-Xcheck:jni -Djava.util.prefs.userRoot=" + (scenario.root() / "prefs").string());
        for (const auto &[name, value] : c.env)
            scenario.env(name, value);
        const RunResult run = scenario.run(
            {"name", "init:1", "idle", "idle-thread", "prefs", "shutdown", "init:1", "idle-thread"}, c.plugin);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("Picked up JAVA_TOOL_OPTIONS: -Xcheck:jni"), std::string::npos);
        EXPECT_EQ(run.results("idle-thread").size(), 2u);
        EXPECT_EQ(warnings(run), "");
    }
}

} // namespace
