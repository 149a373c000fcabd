#include "platform/platform.h"
#include "support/test_support.h"

using namespace testing_support;

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <filesystem>

namespace {


std::optional<std::uint64_t> image_end(const std::string &path) {
    platform::UniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::nullopt;
    return platform::library_image_end(file.get());
}

// The C library's file, found through the loader.
std::string c_library() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void *>(&std::strlen), &info) == 0) return {};
    return info.dli_fname;
}

TEST(LibraryImage, EndsAtTheEndOfARealLibrary) {
    const std::string library = c_library();
    ASSERT_FALSE(library.empty());
    EXPECT_EQ(image_end(library), std::filesystem::file_size(library));
}

TEST(LibraryImage, AppendedBytesAreNotPartOfIt) {
    TempDir dir;
    const std::string image = read_all(c_library());
    const std::string path = dir / "appended.so";
    write_all(path, image + std::string(1000, 'Z') + "PK\x03\x04");
    platform::UniqueFile file(std::fopen(path.c_str(), "rb"));
    ASSERT_TRUE(file);
    ASSERT_EQ(std::fseek(file.get(), 123, SEEK_SET), 0);
    EXPECT_EQ(platform::library_image_end(file.get()), image.size());
    EXPECT_EQ(std::ftell(file.get()), 123); // the caller's position is kept
}

TEST(LibraryImage, NoImageInTruncatedOrForeignFiles) {
    TempDir dir;
    const std::string image = read_all(c_library());
    write_all(dir / "truncated.so", image.substr(0, image.size() - 100));
    write_all(dir / "header-only.so", image.substr(0, 40));
    write_all(dir / "text.so", "just some text, not a library");
    write_all(dir / "empty.so", "");
    std::string bigEndian = image;
    bigEndian[5] = 2; // ELFDATA2MSB
    write_all(dir / "big-endian.so", bigEndian);
    for (const char *name : {"truncated.so", "header-only.so", "text.so", "empty.so", "big-endian.so"})
        EXPECT_EQ(image_end(dir / name), std::nullopt) << name;
}

// A minimal 32-bit image: header, one program header, two sections and the
// section table. The .bss section reaches past the file but takes no room in it.
std::string elf32_image() {
    std::string bytes(52, '\0');
    auto put = [&bytes](std::size_t offset, std::uint32_t value, int size) {
        if (bytes.size() < offset + size) bytes.resize(offset + size, '\0');
        for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
    };
    bytes.replace(0, 7, "\x7F" "ELF\x01\x01\x01");
    put(16, 3, 2);    // ET_DYN
    put(18, 3, 2);    // EM_386
    put(28, 52, 4);   // e_phoff
    put(32, 200, 4);  // e_shoff
    put(40, 52, 2);   // e_ehsize
    put(42, 32, 2);   // e_phentsize
    put(44, 1, 2);    // e_phnum
    put(46, 40, 2);   // e_shentsize
    put(48, 3, 2);    // e_shnum
    put(52, 1, 4);    // PT_LOAD
    put(56, 0, 4);    // p_offset
    put(68, 150, 4);  // p_filesz
    // Section 1: PROGBITS at 150, 40 bytes (ends at 190).
    put(240 + 4, 1, 4);
    put(240 + 16, 150, 4);
    put(240 + 20, 40, 4);
    // Section 2: NOBITS at 190, 5000 bytes.
    put(280 + 4, 8, 4);
    put(280 + 16, 190, 4);
    put(280 + 20, 5000, 4);
    bytes.resize(320, '\0'); // the section table ends at 200 + 3 * 40
    return bytes;
}

TEST(LibraryImage, Reads32BitImages) {
    TempDir dir;
    write_all(dir / "elf32.so", elf32_image() + "appended");
    EXPECT_EQ(image_end(dir / "elf32.so"), 320u);

    std::string moved = elf32_image();
    moved[32] = static_cast<char>(250); // the section table now runs past the end
    write_all(dir / "moved.so", moved);
    EXPECT_EQ(image_end(dir / "moved.so"), std::nullopt);
}

} // namespace
