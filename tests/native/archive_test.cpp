#include "vm/archive.h"

#include "entry/process_state.h"
#include "platform/platform.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

class AttachedArchive : public ::testing::Test {
protected:
    TempDir root;
    fs::path temp = root.path() / "temp";
    HostCallRecord record{};
    std::optional<ScopedEnv> tempEnv, registry, debug;

    void SetUp() override {
        fs::create_directories(temp);
        fs::permissions(temp, fs::perms::owner_all);
        write_registry(root.path() / "registry.reg", root.str());
        registry.emplace("VNT_REGISTRY", (root.path() / "registry.reg").string());
        debug.emplace("VNT_DEBUG_OUTPUT", std::nullopt);
        use_temp(temp);
        record.instanceID = reinterpret_cast<std::uintptr_t>(platform::load_library(VNT_BUILD_DIR "/tests/padded/JDBC.fmx"));
        ASSERT_NE(record.instanceID, 0u) << platform::last_load_error();
        entry::state().instanceID = record.instanceID;
        vm::archive_state() = {};
    }
    void TearDown() override { entry::state().instanceID = 0; }
    void use_temp(const fs::path &folder) { tempEnv.emplace("TEMP", folder.string()); }
};

TEST_F(AttachedArchive, CopiesTheArchiveAndReplacesEarlierCopies) {
    write_all(temp / "JDBC.jar", std::string(100000, 'o'));
    ASSERT_TRUE(vm::write_attached_archive());
    EXPECT_EQ(read_all(temp / "JDBC.jar"), read_all(VNT_BUILD_DIR "/packaging/JDBC.jar"));
    EXPECT_EQ(vm::archive_state().archivePath, (temp / "JDBC.jar").string());
    EXPECT_EQ(vm::archive_state().moduleFileName, fs::canonical(VNT_BUILD_DIR "/tests/padded/JDBC.fmx").string());
    EXPECT_TRUE(vm::archive_state().written);
    for (const auto &entry : fs::directory_iterator(temp))
        EXPECT_NE(entry.path().extension(), ".tmp") << "left behind: " << entry.path();
}

TEST_F(AttachedArchive, APlantedLinkIsReplacedNotFollowed) {
    write_all(root.path() / "victim", "precious");
    fs::create_symlink(root.path() / "victim", temp / "JDBC.jar");
    ASSERT_TRUE(vm::write_attached_archive());
    EXPECT_EQ(read_all(root.path() / "victim"), "precious");
    EXPECT_FALSE(fs::is_symlink(temp / "JDBC.jar"));
}

TEST_F(AttachedArchive, PathsBeyondTheAreaAreRefused) {
    // 263 bytes fit; one more does not.
    const std::size_t room = 263 - std::string("/JDBC.jar").size() - temp.string().size() - 1;
    const fs::path fits = temp / std::string(room, 'f');
    const fs::path tooLong = temp / std::string(room + 1, 'l');
    for (const auto &folder : {fits, tooLong}) {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all);
    }
    use_temp(fits);
    EXPECT_TRUE(vm::write_attached_archive());
    EXPECT_EQ(vm::archive_state().archivePath.size(), 263u);

    vm::archive_state() = {};
    use_temp(tooLong);
    EXPECT_FALSE(vm::write_attached_archive());
    EXPECT_FALSE(vm::archive_state().written);
    for (const auto &entry : fs::directory_iterator(tooLong))
        EXPECT_EQ(entry.path().filename(), "Vnttemp.log") << "written: " << entry.path();
}

TEST_F(AttachedArchive, ANonLibraryModuleWritesNothing) {
    entry::state().instanceID = 0;
    EXPECT_FALSE(vm::write_attached_archive());
    EXPECT_FALSE(fs::exists(temp / "JDBC.jar"));
}

} // namespace
