// VM hosting without a VM: the option list, the marker files, runtime
// discovery up to loading the library, PATH, the class loader URL and the
// bundle path text.
#include "entry/process_state.h"
#include "log/log.h"
#include "vm/bridge.h"
#include "vm/options.h"
#include "vm/runtime.h"
#include "vm_support.h"

#include <gtest/gtest.h>

namespace {

using namespace vmtest;
using Options = std::vector<std::string>;

const std::string kLib = "/opt/java/lib";
const std::string kLogging = "-Djava.util.logging.config.file=/run/tmp/logging.properties";
const std::string kBootPath =
    "-Xbootclasspath/a:/opt/java/lib/deploy.jar:/opt/java/lib/plugin.jar:/opt/java/lib/javaws.jar";

vm::OptionInputs inputs(vm::Markers markers = {}, bool headless = false, int port = 4410) {
    vm::OptionInputs in;
    in.markers = std::move(markers);
    in.headless = headless;
    in.debugPort = port;
    in.javaLibFolder = kLib;
    in.tempFolder = "/run/tmp";
    return in;
}

TEST(OptionList, MarkerCombinations) {
    struct Case {
        const char *name;
        vm::OptionInputs in;
        Options expected;
    };
    vm::Markers debug, debugProfile, memory;
    debug.debug = debugProfile.debug = debugProfile.profile = true;
    memory.maxHeap = "-Xmx256m";
    const Case cases[] = {
        {"no markers", inputs(), {"-Xms4m", "-Xmx64m", kLogging, "vfprintf", kBootPath}},
        {"debug",
         inputs(debug),
         {"-Xms4m", "-Xmx64m", "-Xdebug", "-Xrunjdwp:transport=dt_socket,address=4410,server=y,suspend=n", kLogging,
          "vfprintf", kBootPath}},
        {"debug and profile: no debugger",
         inputs(debugProfile),
         {"-Xms4m", "-Xmx64m", "-agentlib:yjpagent", kLogging, "vfprintf", kBootPath}},
        {"debug in Server: headless after the debugger",
         inputs(debug, true, 4412),
         {"-Xms4m", "-Xmx64m", "-Xdebug", "-Xrunjdwp:transport=dt_socket,address=4412,server=y,suspend=n",
          "-Djava.awt.headless=true", kLogging, "vfprintf", kBootPath}},
        {"memorysize", inputs(memory), {"-Xms4m", "-Xmx256m", kLogging, "vfprintf", kBootPath}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(vm::option_texts(c.in), c.expected) << c.name;
}

TEST(OptionList, ExtensionFoldersOnlyForOldRuntimes) {
    auto in = inputs();
    in.extensionFolders = true;
    const Options options = vm::option_texts(in);
    ASSERT_EQ(options.size(), 6u);
    EXPECT_EQ(options[5], "-Djava.ext.dirs=/opt/java/lib/ext:/opt/java/lib:/opt/java/lib/deploy:"
                          "/usr/java/packages/lib/ext:");

}

TEST(OptionList, RuntimeVersionsDecideTheVersionBoundOptions) {
    auto in = inputs();
    in.nativeAccess = true;
    EXPECT_EQ(vm::option_texts(in).back(), "--enable-native-access=ALL-UNNAMED");

    struct Version {
        const char *text;
        std::optional<bool> extensionFolders, nativeAccess;
    };
    for (const Version v : {Version{"1.8", true, false},
                            {"1.4.2_19", true, false},
                            {"1.6.0", true, false},
                            {"9", false, false},
                            {"16.0.2", false, false},
                            {"17", false, true},
                            {"17.0.15", false, true},
                            {"25.0.3", false, true},
                            {"", std::nullopt, std::nullopt},
                            {"abc", std::nullopt, std::nullopt},
                            {"17x", std::nullopt, std::nullopt}}) {
        EXPECT_EQ(vm::accepts_extension_folders(v.text), v.extensionFolders) << v.text;
        EXPECT_EQ(vm::accepts_native_access(v.text), v.nativeAccess) << v.text;
    }
}

TEST(OptionList, NoPrivateTempFolderLeavesTheLoggingOptionOut) {
    auto in = inputs();
    in.tempFolder.reset();
    EXPECT_EQ(vm::option_texts(in), (Options{"-Xms4m", "-Xmx64m", "vfprintf", kBootPath}));
}

TEST(OptionList, HeapOptionFitsItsArea) {
    EXPECT_EQ(vm::heap_option("256"), "-Xmx256m");
    EXPECT_EQ(vm::heap_option("256\n"), "-Xmx256\nm"); // taken verbatim
    EXPECT_EQ(vm::heap_option(""), std::nullopt);
    EXPECT_EQ(vm::heap_option("\n"), std::nullopt);
    EXPECT_EQ(vm::heap_option(std::string(26, '9'))->size(), 31u);
    EXPECT_EQ(vm::heap_option(std::string(27, '9')), std::nullopt);
}

TEST(RuntimePath, SeparatorsAndEmptyPath) {
    EXPECT_EQ(vm::extended_path("/usr/bin", "/jre/bin", "/jre/lib/server"), "/usr/bin:/jre/bin:/jre/lib/server");
    EXPECT_EQ(vm::extended_path("/usr/bin:", "/jre/bin", "/jre/lib/server"), "/usr/bin:/jre/bin:/jre/lib/server");
    // No leading separator: an empty entry would put the current folder on PATH.
    EXPECT_EQ(vm::extended_path("", "/jre/bin", "/jre/lib/server"), "/jre/bin:/jre/lib/server");
}

TEST(BridgeBootstrap, UrlAndBundlePathText) {
    EXPECT_EQ(vm::class_loader_url("/tmp/my temp/JDBC.jar"), "file:///tmp/my temp/JDBC.jar");
    EXPECT_EQ(vm::bundle_path_text("/opt/Plug Ins/JDBC.fmx", "/tmp/my temp/JDBC.jar"),
              "/opt/Plug Ins/JDBC.fmx;/tmp/my temp/JDBC.jar");
    EXPECT_EQ(vm::runtime_error_message(7),
              u"Vantorel plugins require Java 1.4 or later, which is not installed on this computer. "
              u"Download it from https://adoptium.net/ (error 7)");
}

// In-process checks that read registry files and write the log.
class Discovery : public ::testing::Test {
  protected:
    Scenario scenario;
    std::optional<ScopedEnv> registry, temp, debug, path;

    void SetUp() override {
        registry.emplace("VNT_REGISTRY", scenario.registry_file().string());
        temp.emplace("TEMP", scenario.temp().string());
        debug.emplace("VNT_DEBUG_OUTPUT", std::nullopt);
        path.emplace("PATH", "/usr/bin");
        entry::state() = {};
        vm::runtime_state() = {};
        vlog::forget_path();
    }
    void TearDown() override {
        entry::state() = {};
        vm::runtime_state() = {};
        vlog::forget_path();
    }
    std::string log() const { return read_all(scenario.docs() / "VntPlugin Logs" / "miscellaneous.log"); }
};

TEST_F(Discovery, HomeWithOrWithoutTrailingSeparator) {
    for (const std::string home : {"/opt/jre", "/opt/jre/"}) {
        SCOPED_TRACE(home);
        path.emplace("PATH", "/usr/bin");
        vm::runtime_state() = {};
        scenario.set_java({"17", home, "/opt/jre/lib/server/libjvm.so"}); // no such library: error 8
        EXPECT_FALSE(vm::discover_runtime());
        EXPECT_EQ(vm::runtime_state().javaLibFolder, "/opt/jre/lib");
        EXPECT_EQ(vm::runtime_state().library, nullptr);
        EXPECT_EQ(std::string(std::getenv("PATH")), "/usr/bin:/opt/jre/bin:/opt/jre/lib/server");
        EXPECT_EQ(entry::state().jvmError, vm::runtime_error_message(8));
        // Every init discovers again, but PATH grows once: VM threads may be
        // reading the environment by then.
        EXPECT_FALSE(vm::discover_runtime());
        EXPECT_EQ(std::string(std::getenv("PATH")), "/usr/bin:/opt/jre/bin:/opt/jre/lib/server");
    }
    EXPECT_EQ(count(log(), "Download it from https://adoptium.net/ (error 8)\n"), 4u);
}

TEST_F(Discovery, MarkersInOrderWithTheirLogLines) {
    scenario.marker("debug");
    scenario.marker("profile");
    scenario.marker("headless");
    scenario.marker("memorysize", "256");
    const auto folder = vm::marker_folder();
    ASSERT_EQ(folder, scenario.markers().string() + "/");
    const vm::Markers markers = vm::read_markers(*folder);
    EXPECT_TRUE(markers.debug && markers.profile && markers.headless);
    EXPECT_EQ(markers.maxHeap, "-Xmx256m");
    const std::string text = log();
    const auto debugAt = text.find(") Enabling debugger\n"), profileAt = text.find(") Enabling profiler\n"),
               headlessAt = text.find(") Forcing headless mode\n"),
               memoryAt = text.find(") Found custom memory file, -Xmx256m\n");
    ASSERT_NE(memoryAt, std::string::npos) << text;
    EXPECT_TRUE(debugAt < profileAt && profileAt < headlessAt && headlessAt < memoryAt) << text;
}

TEST_F(Discovery, MemorySizeLineBreaksAreDropped) {
    for (const char *text : {"512\n", "512\r\n", "512"}) {
        scenario.marker("memorysize", text);
        EXPECT_EQ(vm::read_markers(scenario.markers().string() + "/").maxHeap, "-Xmx512m") << text;
    }
}

TEST_F(Discovery, MarkerLimitsAreRefused) {
    // A first line too long for the 31-character option keeps the default.
    scenario.marker("memorysize", std::string(40, '1') + "\n");
    EXPECT_EQ(vm::read_markers(scenario.markers().string() + "/").maxHeap, std::nullopt);
    EXPECT_NE(log().find("Ignoring custom memory file, its first line is too long: " + std::string(31, '1') + "\n"),
              std::string::npos);
    // An empty memorysize keeps the default without a word.
    scenario.marker("memorysize", "\n");
    EXPECT_EQ(vm::read_markers(scenario.markers().string() + "/").maxHeap, std::nullopt);

    // A marker folder whose marker paths would pass 255 bytes is not used.
    const std::string deep = "/" + std::string(240, 'd');
    write_all(scenario.registry_file(), registry_text("", deep, scenario.docs().string()));
    EXPECT_EQ(vm::marker_folder(), std::nullopt);
    EXPECT_NE(log().find("Marker folder path too long, marker files ignored: " + deep + "/Vantorel/\n"),
              std::string::npos);
    const std::string fits = "/" + std::string(234, 'd'); // 235 + "/Vantorel/" + "memorysize" = 255
    write_all(scenario.registry_file(), registry_text("", fits, scenario.docs().string()));
    EXPECT_EQ(vm::marker_folder(), fits + "/Vantorel/");
}

} // namespace
