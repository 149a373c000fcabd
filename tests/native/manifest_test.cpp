#include "vm/manifest.h"

#include "support/test_support.h"

#include <gtest/gtest.h>
#include <vector>
#include <zip.h>

namespace {

using namespace testing_support;

struct Parsed {
    vm::ManifestTexts texts;
    std::vector<std::string> unknown;
};

Parsed parse(std::string_view text) {
    Parsed parsed;
    parsed.texts = vm::parse_manifest(text, [&](const std::string &key) { parsed.unknown.push_back(key); });
    return parsed;
}

TEST(Manifest, ShippedManifestGivesItsFourTexts) {
    const auto parsed = parse(read_all(VNT_SOURCE_DIR "/packaging/MANIFEST.MF"));
    EXPECT_EQ(parsed.texts.name, u"Vantorel JDBC Plugin");
    EXPECT_EQ(parsed.texts.options, u"VJDB1YnYnnn");
    EXPECT_EQ(parsed.texts.help, u"Connect directly to remote databases using JDBC calls");
    EXPECT_EQ(parsed.texts.version, u"1.7");
    EXPECT_TRUE(parsed.unknown.empty());
}

TEST(Manifest, LineEndsContinuationsAndBlanks) {
    struct Case {
        const char *text;
        const char16_t *help;
    };
    const Case cases[] = {
        {"plugin-help: one\n two\n", u"onetwo"},
        {"plugin-help: one\r\n two\r\nplugin-name: N\r\n", u"onetwo"},
        {"plugin-help: a\rplugin-name: N\r", u"a"},
        {"plugin-name: N\n\n\r\n\nplugin-help: b", u"b"},
        {"  plugin-help:   X  ", u"X  "},
        {"plugin-help: a:b", u"a:b"},
        {"plugin-help:", u""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = parse(c.text);
        EXPECT_EQ(parsed.texts.help, c.help);
        EXPECT_TRUE(parsed.unknown.empty());
    }
}

TEST(Manifest, KeysAreExactAndLaterValuesWin) {
    const auto parsed = parse("Plugin-Name: A\nplugin-name: B\nplugin-name: C\nCreated-By: x\n");
    EXPECT_EQ(parsed.texts.name, u"C");
    EXPECT_EQ(parsed.unknown, (std::vector<std::string>{"Plugin-Name", "Created-By"}));
    EXPECT_FALSE(parsed.texts.help);
}

TEST(Manifest, LongKeysAndValuesAreCut) {
    const std::string key63(63, 'k');
    const std::string value(300, 'v');
    auto parsed = parse(key63 + ": x\n" + key63 + "z: y\nplugin-help: " + std::string(255, 'w') + "\nplugin-name: " + value);
    EXPECT_EQ(parsed.unknown, (std::vector<std::string>{key63, key63}));
    EXPECT_EQ(parsed.texts.help->size(), 255u);
    EXPECT_EQ(parsed.texts.name, std::u16string(255, u'v'));
}

TEST(Manifest, BytesBecomeUnitsOfTheSameValue) {
    const auto parsed = parse("plugin-name: caf\xe9");
    EXPECT_EQ(parsed.texts.name, u"caf\u00e9");
}

void write_zip(const fs::path &path, const char *entry, const std::string &content) {
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    zip_fileinfo info{};
    ASSERT_EQ(zipOpenNewFileInZip(zip, entry, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6), ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size())), ZIP_OK);
    zipCloseFileInZip(zip);
    zipClose(zip, nullptr);
}

TEST(Manifest, EntryIsFoundWhateverItsLetterCase) {
    TempDir dir;
    write_zip(dir.path() / "a.jar", "meta-inf/manifest.mf", "plugin-name: Lower\n");
    EXPECT_EQ(vm::read_manifest(dir.str() + "/a.jar").name, u"Lower");
}

TEST(Manifest, OnlyTheFirst8192BytesAreRead) {
    TempDir dir;
    const std::string head = "plugin-name: N\nplugin-help: ";
    const std::string text = head + std::string(8192 - head.size() - 1, 'h') + "\nplugin-version: 9\n";
    write_zip(dir.path() / "a.jar", "META-INF/MANIFEST.MF", text);
    EXPECT_EQ(vm::read_manifest_text(dir.str() + "/a.jar").size(), 8192u);
    const auto texts = vm::read_manifest(dir.str() + "/a.jar");
    EXPECT_EQ(texts.name, u"N");
    EXPECT_FALSE(texts.version);
}

TEST(Manifest, UnreadableArchivesGiveNothing) {
    TempDir dir;
    write_all(dir.path() / "not.jar", "not a zip");
    write_zip(dir.path() / "other.jar", "README", "plugin-name: X\n");
    for (const char *name : {"/missing.jar", "/not.jar", "/other.jar"}) {
        EXPECT_EQ(vm::read_manifest_text(dir.str() + name), "") << name;
        EXPECT_FALSE(vm::read_manifest(dir.str() + name).name) << name;
    }
}

} // namespace
