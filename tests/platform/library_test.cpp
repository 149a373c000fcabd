#include "platform/platform.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>

namespace {

int function_in_this_program() { return 42; }

TEST(Library, LoadsFindsAndNamesASystemLibrary) {
    platform::ModuleHandle zlib = platform::load_library("libz.so.1");
    ASSERT_NE(zlib, nullptr) << platform::last_load_error();
    EXPECT_EQ(platform::load_library("libz.so.1"), zlib); // counted, same handle
    void *version = platform::find_symbol(zlib, "zlibVersion");
    ASSERT_NE(version, nullptr);

    const auto file = platform::module_file_name(zlib);
    ASSERT_TRUE(file);
    EXPECT_TRUE(std::filesystem::path(*file).is_absolute()) << *file;
    EXPECT_EQ(std::filesystem::path(*file).filename().string().rfind("libz.so", 0), 0u) << *file;
    Dl_info info{};
    ASSERT_NE(::dladdr(version, &info), 0);
    EXPECT_EQ(platform::long_path(*file), platform::long_path(info.dli_fname));

    EXPECT_EQ(platform::module_of(version), zlib);
    EXPECT_EQ(platform::module_file_name(platform::module_of(version)), file);
    ::dlclose(zlib);
    ::dlclose(zlib);
}

TEST(Library, TheMainProgramIsAModuleToo) {
    platform::ModuleHandle program =
        platform::module_of(reinterpret_cast<const void *>(&function_in_this_program));
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program, ::dlopen(nullptr, RTLD_NOW));
    EXPECT_EQ(platform::module_file_name(program), platform::long_path("/proc/self/exe"));
}

TEST(Library, FailuresCarryTheLoadersText) {
    EXPECT_EQ(platform::load_library("/nonexistent/libmissing.so"), nullptr);
    EXPECT_NE(platform::last_load_error().find("libmissing.so"), std::string::npos)
        << platform::last_load_error();
    EXPECT_EQ(platform::load_library(""), nullptr);
    EXPECT_FALSE(platform::last_load_error().empty());

    platform::ModuleHandle zlib = platform::load_library("libz.so.1");
    ASSERT_NE(zlib, nullptr);
    EXPECT_EQ(platform::find_symbol(zlib, "no_such_symbol"), nullptr);
    EXPECT_EQ(platform::find_symbol(nullptr, "zlibVersion"), nullptr);
    EXPECT_EQ(platform::module_of(nullptr), nullptr);
    ::dlclose(zlib);
}

TEST(Library, LongPathResolvesExistingPathsOnly) {
    const auto root = platform::long_path("/tmp/../tmp/.");
    ASSERT_TRUE(root);
    EXPECT_EQ(*root, std::filesystem::canonical("/tmp").string());
    EXPECT_EQ(platform::long_path("/nonexistent/file"), std::nullopt);
}

} // namespace
