// The built plug-in file: its appended archive and its string answers, read
// through the plug-in's own export as the host calls it.
#include "fmhost/plugin_interface.h"
#include "platform/platform.h"
#include "vm/archive.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace testing_support;

struct LoadedPlugin {
    platform::ModuleHandle handle = nullptr;
    FMX_ExternCallProc entry = nullptr;
};

LoadedPlugin load(const std::string &path) {
    LoadedPlugin plugin;
    plugin.handle = platform::load_library(path);
    if (plugin.handle)
        plugin.entry = reinterpret_cast<FMX_ExternCallProc>(platform::find_symbol(plugin.handle, "FMExternCallProc"));
    return plugin;
}

constexpr FMX_Unichar kMarker = 0x7777;

// Sends a string request into a buffer of `capacity` units plus guard units.
std::vector<FMX_Unichar> get_string(const LoadedPlugin &plugin, std::uint8_t id, std::uint32_t capacity) {
    std::vector<FMX_Unichar> buffer(capacity + 4, kMarker);
    HostCallRecord record{};
    record.message = FMX_MSG_GET_STRING;
    record.param1 = id;
    record.param3 = capacity;
    record.instanceID = reinterpret_cast<std::uintptr_t>(plugin.handle);
    record.result = reinterpret_cast<std::intptr_t>(buffer.data());
    plugin.entry(&record);
    return buffer;
}

std::u16string text_of(const std::vector<FMX_Unichar> &buffer) {
    std::u16string text;
    for (FMX_Unichar unit : buffer) {
        if (unit == 0 || unit == kMarker)
            break;
        text += static_cast<char16_t>(unit);
    }
    return text;
}

// One environment for the whole suite: the plug-in's state lives as long as
// the process, as in the host.
class PluginFile : public ::testing::Test {
protected:
    static inline TempDir *root = nullptr;
    static inline ScopedEnv *tempEnv = nullptr, *registry = nullptr, *debug = nullptr;
    static inline LoadedPlugin plugin;

    static void SetUpTestSuite() {
        root = new TempDir;
        fs::create_directories(root->path() / "temp");
        fs::permissions(root->path() / "temp", fs::perms::owner_all);
        write_registry(root->path() / "registry.reg", root->str());
        tempEnv = new ScopedEnv("TEMP", (root->path() / "temp").string());
        registry = new ScopedEnv("VNT_REGISTRY", (root->path() / "registry.reg").string());
        debug = new ScopedEnv("VNT_DEBUG_OUTPUT", std::nullopt);
        plugin = load(VNT_BUILD_DIR "/JDBC.fmx");
    }
    static void TearDownTestSuite() {
        delete debug;
        delete registry;
        delete tempEnv;
        delete root;
    }
};

TEST_F(PluginFile, AnswersFromTheManifest) {
    ASSERT_NE(plugin.entry, nullptr) << platform::last_load_error();
    EXPECT_EQ(text_of(get_string(plugin, 128, 100)), u"Vantorel JDBC Plugin");
    EXPECT_EQ(text_of(get_string(plugin, 129, 100)), u"Connect directly to remote databases using JDBC calls (1.7)");
    EXPECT_EQ(text_of(get_string(plugin, 131, 100)), u"VJDB1YnYnnn");
}

TEST_F(PluginFile, AnswersAreCutAtTheCapacityWithoutTerminator) {
    ASSERT_NE(plugin.entry, nullptr);
    const auto five = get_string(plugin, 128, 5);
    EXPECT_EQ(std::u16string(five.begin(), five.begin() + 5), u"Vanto");
    EXPECT_EQ(five[5], kMarker);

    const auto padded = get_string(plugin, 131, 14);
    EXPECT_EQ(text_of(padded), u"VJDB1YnYnnn");
    EXPECT_EQ(std::vector<FMX_Unichar>(padded.begin() + 11, padded.end()),
              (std::vector<FMX_Unichar>{0, 0, 0, kMarker, kMarker, kMarker, kMarker}));

    const auto none = get_string(plugin, 128, 0);
    EXPECT_EQ(none, std::vector<FMX_Unichar>(4, kMarker));
}

TEST_F(PluginFile, OtherIdsLeaveTheBufferUntouched) {
    ASSERT_NE(plugin.entry, nullptr);
    for (std::uint8_t id : {127, 130, 132, 255})
        EXPECT_EQ(get_string(plugin, id, 8), std::vector<FMX_Unichar>(12, kMarker)) << int(id);
}

TEST_F(PluginFile, ArchiveIsCopiedToTempNamedAfterTheModule) {
    ASSERT_NE(plugin.entry, nullptr);
    get_string(plugin, 128, 10);
    const fs::path copy = root->path() / "temp" / "JDBC.jar";
    ASSERT_TRUE(fs::exists(copy));
    EXPECT_EQ(read_all(copy), read_all(VNT_BUILD_DIR "/packaging/JDBC.jar"));
    EXPECT_EQ(fs::status(copy).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);
}

// The archive is found wherever the image ends: a padded image of another
// size carries the same archive.
TEST(PluginImage, ArchiveStartsWhereTheImageEnds) {
    const std::string archive = read_all(VNT_BUILD_DIR "/packaging/JDBC.jar");
    for (const char *path : {VNT_BUILD_DIR "/JDBC.fmx", VNT_BUILD_DIR "/tests/padded/JDBC.fmx"}) {
        SCOPED_TRACE(path);
        platform::UniqueFile file(platform::open_file(path, "rb"));
        ASSERT_TRUE(file);
        const auto end = platform::library_image_end(file.get());
        ASSERT_TRUE(end);
        const std::string whole = read_all(path);
        EXPECT_EQ(whole.substr(*end), archive);
    }
    EXPECT_NE(fs::file_size(VNT_BUILD_DIR "/JDBC.fmx"), fs::file_size(VNT_BUILD_DIR "/tests/padded/JDBC.fmx"));
}

TEST(ArchivePath, IsTheModuleBaseNameWithAJarExtension) {
    EXPECT_EQ(vm::archive_path_for("/opt/fm/Extensions/JDBC.fmx", "/tmp/t"), "/tmp/t/JDBC.jar");
    EXPECT_EQ(vm::archive_path_for("/opt/fm/my.plugin.fmx", "/tmp"), "/tmp/my.plugin.jar");
    EXPECT_EQ(vm::archive_path_for("/opt/f.m/JDBC", "/tmp"), "");
    EXPECT_EQ(vm::archive_path_for("JDBC.fmx", "/tmp"), "");
}

} // namespace
