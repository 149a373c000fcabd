#include "platform/platform.h"
#include "support/test_support.h"

using namespace testing_support;

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <unistd.h>

namespace {


std::string own_name() { return "vantorel-" + std::to_string(::geteuid()); }

TEST(TempFolder, PrivateFolderIsUsedAsItIs) {
    TempDir dir;
    ::chmod(dir.str().c_str(), 0700);
    ScopedEnv temp("TEMP", dir.str() + "/");
    EXPECT_EQ(platform::temp_folder(), dir.str());
    EXPECT_FALSE(std::filesystem::exists(dir / own_name()));
}

TEST(TempFolder, SharedFolderGetsAPrivateSubfolder) {
    TempDir dir;
    ::chmod(dir.str().c_str(), 01777);
    ScopedEnv temp("TEMP", nullptr);
    ScopedEnv tmpdir("TMPDIR", dir.str());
    const std::string own = dir / own_name();
    EXPECT_EQ(platform::temp_folder(), own);
    EXPECT_EQ(mode_of(own), 0700u);
    EXPECT_EQ(platform::temp_folder(), own); // an existing sound folder is reused
}

TEST(TempFolder, WhatIsPlantedAtThePrivateNameIsLeftAloneForAFreshFolder) {
    TempDir dir;
    ::chmod(dir.str().c_str(), 01777);
    ScopedEnv temp("TEMP", dir.str());
    const std::string own = dir / own_name();
    // Another user can take the name first; that must not cost this user the
    // plug-in. The name is refused, never repaired, and a fresh private
    // folder, the same for the rest of the process, is used instead.
    const auto expect_fallback = [&] {
        const auto folder = platform::temp_folder();
        ASSERT_TRUE(folder);
        EXPECT_NE(*folder, own);
        EXPECT_TRUE(folder->starts_with(own + "-")) << *folder;
        EXPECT_EQ(mode_of(*folder), 0700u);
        EXPECT_EQ(platform::temp_folder(), folder);
        EXPECT_EQ(platform::refused_temp_subfolder(), own);
    };
    {
        SCOPED_TRACE("symbolic link to a private-looking folder");
        std::filesystem::create_directory(dir / "elsewhere");
        ::chmod((dir / "elsewhere").c_str(), 0700);
        std::filesystem::create_directory_symlink(dir / "elsewhere", own);
        expect_fallback();
        EXPECT_TRUE(std::filesystem::is_symlink(own));
        std::filesystem::remove(own);
    }
    {
        SCOPED_TRACE("folder open to others");
        std::filesystem::create_directory(own);
        ::chmod(own.c_str(), 0755);
        expect_fallback();
        EXPECT_EQ(mode_of(own), 0755u); // refused, not repaired
        std::filesystem::remove(own);
    }
    {
        SCOPED_TRACE("a file");
        write_all(own, "x");
        expect_fallback();
        EXPECT_EQ(read_all(own), "x");
        std::filesystem::remove(own);
    }
    if (::geteuid() == 0) {
        SCOPED_TRACE("folder of another user");
        std::filesystem::create_directory(own);
        ::chmod(own.c_str(), 0700);
        ASSERT_EQ(::chown(own.c_str(), 65534, 65534), 0);
        expect_fallback();
    }
}

TEST(TempFolder, SharedFolderWithoutStickyBitIsRefused) {
    TempDir dir;
    ::chmod(dir.str().c_str(), 0777);
    ScopedEnv temp("TEMP", dir.str());
    EXPECT_EQ(platform::temp_folder(), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir / own_name()));
}

TEST(TempFolder, MissingFolderGivesNone) {
    TempDir dir;
    ScopedEnv temp("TEMP", dir / "absent");
    EXPECT_EQ(platform::temp_folder(), std::nullopt);
}

TEST(OpenFile, CreatesPrivateFilesWithStdioModes) {
    TempDir dir;
    const std::string path = dir / "file.bin";
    const mode_t oldMask = ::umask(0);
    std::FILE *file = platform::open_file(path, "wb");
    ::umask(oldMask);
    ASSERT_NE(file, nullptr);
    std::fputs("one", file);
    std::fclose(file);
    EXPECT_EQ(mode_of(path), 0600u);

    file = platform::open_file(path, "a");
    ASSERT_NE(file, nullptr);
    std::fputs("two", file);
    std::fclose(file);
    EXPECT_EQ(read_all(path), "onetwo");

    file = platform::open_file(path, "r+b");
    ASSERT_NE(file, nullptr);
    char first[4] = {};
    EXPECT_EQ(std::fread(first, 1, 3, file), 3u);
    EXPECT_STREQ(first, "one");
    std::fseek(file, 0, SEEK_SET);
    std::fputs("ONE", file);
    std::fclose(file);
    EXPECT_EQ(read_all(path), "ONEtwo");

    EXPECT_EQ(platform::open_file(path, "wx"), nullptr); // exclusive creation
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(platform::open_file(dir / "absent", "r"), nullptr);
    EXPECT_EQ(errno, ENOENT);
    for (const char *bad : {"", "z", "rw", "rt"}) {
        EXPECT_EQ(platform::open_file(path, bad), nullptr) << bad;
        EXPECT_EQ(errno, EINVAL) << bad;
    }
}

TEST(OpenFile, RefusesASymbolicLinkAtTheName) {
    TempDir dir;
    const std::string target = dir / "target";
    const std::string link = dir / "link";
    write_all(target, "keep");
    std::filesystem::create_symlink(target, link);
    for (const char *mode : {"r", "w", "ab", "w+"}) {
        EXPECT_EQ(platform::open_file(link, mode), nullptr) << mode;
        EXPECT_EQ(errno, ELOOP) << mode;
    }
    EXPECT_EQ(read_all(target), "keep");
}

TEST(Directories, CreateAndExist) {
    TempDir dir;
    const std::string sub = dir / "sub";
    EXPECT_FALSE(platform::file_exists(sub));
    EXPECT_TRUE(platform::create_directory(sub));
    EXPECT_EQ(mode_of(sub) & 0077, 0u);
    EXPECT_TRUE(platform::file_exists(sub));
    EXPECT_FALSE(platform::create_directory(sub));
    EXPECT_FALSE(platform::create_directory(dir / "missing/sub"));
}

TEST(DebugOutput, AppendsToTheNamedFileOnlyWhenAsked) {
    TempDir dir;
    const std::string path = dir / "debug.txt";
    {
        ScopedEnv output("VNT_DEBUG_OUTPUT", nullptr);
        platform::debug_output(u"unseen\n");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    ScopedEnv output("VNT_DEBUG_OUTPUT", path);
    platform::debug_output(u"(C++) ");
    platform::debug_output(u"caf\u00E9\n");
    EXPECT_EQ(read_all(path), "(C++) caf\xC3\xA9\n");
}

} // namespace
