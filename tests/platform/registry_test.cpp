#include "platform/platform.h"
#include "platform/posix/registry_default.h"
#include "platform/posix/registry_file.h"
#include "support/test_support.h"

using namespace testing_support;

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using platform::Hive;
using platform::RegistryKey;

const std::string kSample = VNT_FIXTURES "/registry/sample.reg";
constexpr std::u16string_view kJre = u"Software\\JavaSoft\\Java Runtime Environment";
constexpr std::u16string_view kShellFolders =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::optional<std::u16string> read(Hive hive, std::u16string_view path, std::u16string_view name) {
    auto key = RegistryKey::open(hive, path);
    if (!key) return std::nullopt;
    return key->read_string(name);
}

TEST(RegistryFile, ReadsKeysAndValuesIgnoringLetterCase) {
    ScopedEnv registry("VNT_REGISTRY", kSample);
    auto jre = RegistryKey::open(Hive::LocalMachine, u"software\\JAVASOFT\\java runtime environment");
    ASSERT_TRUE(jre);
    EXPECT_EQ(jre->read_string(u"currentversion"), u"1.8");
    auto version = jre->open_subkey(u"1.8");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->read_string(u"JavaHome"), u"/opt/java/jre1.8");
    EXPECT_EQ(version->read_string(u"RuntimeLib"), u"/opt/java/jre1.8/lib/amd64/server/libjvm.so");
    // Present, but not a string.
    EXPECT_EQ(version->read_string(u"MicroVersion"), std::nullopt);
    EXPECT_EQ(read(Hive::CurrentUser, kShellFolders, u"Personal"), u"/home/user/Documents");
}

TEST(RegistryFile, DecodesEscapesAndSpecialLines) {
    ScopedEnv registry("VNT_REGISTRY", kSample);
    auto key = RegistryKey::open(Hive::LocalMachine, u"Software\\Vantorel\\Escapes\\");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->read_string(u""), u"default value");
    EXPECT_EQ(key->read_string(u"Windows Path"), u"C:\\Program Files\\Vantorel\\");
    EXPECT_EQ(key->read_string(u"Quoted"), u"say \"hi\" = ok");
    EXPECT_EQ(key->read_string(u"Name with \"quotes\""), u"x");
    EXPECT_EQ(key->read_string(u"Lone Backslash"), u"a\\b");
    EXPECT_EQ(key->read_string(u"Empty"), u"");
    EXPECT_EQ(key->read_string(u"Binary"), std::nullopt);
    EXPECT_EQ(key->read_string(u"After Binary"), u"still read"); // continuation lines skipped
    EXPECT_EQ(key->read_string(u"Twice"), u"second");
    EXPECT_EQ(key->read_string(u"Unterminated"), std::nullopt);
    EXPECT_EQ(key->read_string(u"Trailing"), std::nullopt);
    EXPECT_EQ(key->read_string(u"Missing"), std::nullopt);
}

TEST(RegistryFile, OpensOnlyListedKeysAndTheirParents) {
    ScopedEnv registry("VNT_REGISTRY", kSample);
    EXPECT_TRUE(RegistryKey::open(Hive::LocalMachine, u"Software\\JavaSoft"));
    EXPECT_TRUE(RegistryKey::open(Hive::LocalMachine, u"SOFTWARE"));
    EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, u"Software\\JavaSoft\\Missing"));
    EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, u"Software\\Removed"));
    EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, u"Software\\Vantorel\\Escapes\\Deeper"));
    EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, u"\\Software"));
    EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, u"Software\\\\JavaSoft"));
    // Each hive has only its own keys.
    EXPECT_FALSE(RegistryKey::open(Hive::CurrentUser, kJre));
    EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, kShellFolders));
    // The built-in registry does not show through a file.
    EXPECT_EQ(read(Hive::LocalMachine, kShellFolders, u"Common AppData"), std::nullopt);
}

TEST(RegistryFile, ReportsTheLinesItSkips) {
    const auto parsed = platform::registry::parse_registry(read_all(kSample));
    std::vector<int> lines;
    for (const auto &issue : parsed.issues) lines.push_back(issue.line);
    // Stray text, an open quote, text after a value, another hive.
    EXPECT_EQ(lines, (std::vector<int>{24, 25, 26, 31}));
}

TEST(RegistryFile, AcceptsVersion5HeaderInUtf16) {
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                                u"[HKEY_CURRENT_USER\\Software\\\u00C9t\u00E9]\r\n"
                                u"\"Name\"=\"caf\u00E9 \xD83D\xDE00\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    const auto parsed = platform::registry::parse_registry(bytes);
    EXPECT_TRUE(parsed.issues.empty());
    EXPECT_EQ(parsed.registry.string_value(u"HKEY_CURRENT_USER\\software\\\u00C9t\u00E9", u"name"),
              u"caf\u00E9 \xD83D\xDE00");
}

TEST(RegistryFile, WithoutHeaderOrReadableFileTheRegistryIsEmpty) {
    TempDir dir;
    write_all(dir / "noheader.reg", "[HKEY_LOCAL_MACHINE\\Software\\X]\n\"A\"=\"B\"\n");
    for (const std::string &file : {dir / "noheader.reg", dir / "missing.reg", dir.str()}) {
        SCOPED_TRACE(file);
        ScopedEnv registry("VNT_REGISTRY", file);
        EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, u"Software"));
        EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, kJre));
    }
}

TEST(RegistryDefault, VersionKeys) {
    using platform::registry::version_key;
    EXPECT_EQ(version_key("17.0.15"), "17");
    EXPECT_EQ(version_key("21"), "21");
    EXPECT_EQ(version_key("25-ea"), "25");
    EXPECT_EQ(version_key("1.8.0_292"), "1.8");
    EXPECT_EQ(version_key("1.4.2"), "1.4");
}

// A runtime home with a release file and a placeholder VM library.
void make_runtime(const std::string &home, const std::string &version,
                  const std::string &libFolder = "lib/server") {
    if (!version.empty()) write_all(home + "/release", "IMPLEMENTOR=\"Test\"\nJAVA_VERSION=\"" + version + "\"\n");
    if (!libFolder.empty()) write_all(home + "/" + libFolder + "/libjvm.so", "placeholder");
    std::filesystem::create_directories(home);
}

TEST(RegistryDefault, DescribesTheRuntimeInJavaHome) {
    TempDir dir;
    const std::string home = dir / "jdk-17";
    make_runtime(home, "17.0.15");
    ScopedEnv registry("VNT_REGISTRY", nullptr);
    ScopedEnv javaHome("JAVA_HOME", home + "/");

    auto jre = RegistryKey::open(Hive::LocalMachine, kJre);
    ASSERT_TRUE(jre);
    const auto version = jre->read_string(u"CurrentVersion");
    ASSERT_EQ(version, u"17");
    auto runtime = jre->open_subkey(*version);
    ASSERT_TRUE(runtime);
    EXPECT_EQ(runtime->read_string(u"JavaHome"), platform::widen(home));
    EXPECT_EQ(runtime->read_string(u"RuntimeLib"), platform::widen(home + "/lib/server/libjvm.so"));
}

TEST(RegistryDefault, OldLayoutAndMissingPieces) {
    TempDir dir;
    ScopedEnv registry("VNT_REGISTRY", nullptr);
    {
        const std::string home = dir / "jre8";
        make_runtime(home, "1.8.0_292", "lib/amd64/server");
        ScopedEnv javaHome("JAVA_HOME", home);
        EXPECT_EQ(read(Hive::LocalMachine, kJre, u"CurrentVersion"), u"1.8");
#if defined(__x86_64__)
        EXPECT_EQ(read(Hive::LocalMachine, std::u16string(kJre) + u"\\1.8", u"RuntimeLib"),
                  platform::widen(home + "/lib/amd64/server/libjvm.so"));
#endif
    }
    {
        // Without a VM library the runtime key has no RuntimeLib value.
        const std::string home = dir / "nolib";
        make_runtime(home, "21.0.1", "");
        ScopedEnv javaHome("JAVA_HOME", home);
        EXPECT_EQ(read(Hive::LocalMachine, std::u16string(kJre) + u"\\21", u"JavaHome"), platform::widen(home));
        EXPECT_EQ(read(Hive::LocalMachine, std::u16string(kJre) + u"\\21", u"RuntimeLib"), std::nullopt);
    }
    {
        ScopedEnv javaHome("JAVA_HOME", dir / "absent");
        EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, kJre));
        EXPECT_TRUE(RegistryKey::open(Hive::LocalMachine, u"Software\\Microsoft\\Windows"));
    }
}

TEST(RegistryDefault, FindsTheSystemRuntime) {
    using platform::registry::find_system_java;
    TempDir root;
    make_runtime(root / "java-1.8.0", "1.8.0_400");
    make_runtime(root / "java-11", "11.0.2");
    make_runtime(root / "java-9", "9.0.4");
    make_runtime(root / "java-21-nolib", "21.0.1", "");
    EXPECT_EQ(find_system_java(root.str())->home, root / "java-11"); // newest with a VM library

    std::filesystem::create_directory_symlink("java-9", root / "default-java");
    const auto chosen = find_system_java(root.str());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->home, root / "java-9"); // the default, resolved
    EXPECT_EQ(chosen->version, "9.0.4");
    EXPECT_EQ(chosen->runtimeLib, root / "java-9/lib/server/libjvm.so");

    TempDir empty;
    EXPECT_FALSE(find_system_java(empty.str()));
}

TEST(RegistryDefault, ShellFolders) {
    TempDir home;
    ScopedEnv registry("VNT_REGISTRY", nullptr);
    ScopedEnv homeVar("HOME", home.str());
    EXPECT_EQ(read(Hive::LocalMachine, kShellFolders, u"Common AppData"), u"/var/lib");
    {
        ScopedEnv documents("XDG_DOCUMENTS_DIR", nullptr);
        EXPECT_EQ(read(Hive::CurrentUser, kShellFolders, u"Personal"), platform::widen(home.str()));
        std::filesystem::create_directory(home / "Documents");
        EXPECT_EQ(read(Hive::CurrentUser, kShellFolders, u"Personal"), platform::widen(home / "Documents"));
    }
    ScopedEnv documents("XDG_DOCUMENTS_DIR", "/srv/docs");
    EXPECT_EQ(read(Hive::CurrentUser, kShellFolders, u"Personal"), u"/srv/docs");
}

} // namespace
