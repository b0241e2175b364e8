// Native path names, files and shared libraries.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "sys/sys.h"

namespace {

std::u16string Widen(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string FullPath(const char16_t* name, uint32_t capacity = 4096) {
    char16_t out[4096] = {};
    uint32_t length = sys::FullPathName(name, out, capacity);
    EXPECT_EQ(length, std::u16string(out).size());
    return out;
}

std::string CurrentDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

TEST(PosixFullPathName, NormalisesAbsoluteNames) {
    struct Case {
        const char16_t* name;
        const char16_t* full;
    };
    const Case cases[] = {
        {u"/a/b/c", u"/a/b/c"},
        {u"/a//b///c", u"/a/b/c"},
        {u"/a/./b/./c", u"/a/b/c"},
        {u"/a/b/../c", u"/a/c"},
        {u"/a/b/c/../..", u"/a"},
        {u"/..", u"/"},
        {u"/../../x", u"/x"},
        {u"/", u"/"},
        {u"//", u"/"},
        {u"/a/b/", u"/a/b/"},
        {u"/a/b//", u"/a/b/"},
        {u"/a/b/.", u"/a/b"},
        {u"/a/b/..", u"/a"},
        {u"/a/..b/c", u"/a/..b/c"},
        {u"/a/.b", u"/a/.b"},
        {u"/no/such/dir/file.bin", u"/no/such/dir/file.bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + std::u16string(c.name).size()));
        EXPECT_EQ(FullPath(c.name), c.full);
    }
}

TEST(PosixFullPathName, ResolvesRelativeNamesAgainstTheCurrentDirectory) {
    std::string saved = CurrentDirectory();
    ASSERT_EQ(chdir("/usr/lib"), 0);
    EXPECT_EQ(FullPath(u"x.bin"), u"/usr/lib/x.bin");
    EXPECT_EQ(FullPath(u"./a//b"), u"/usr/lib/a/b");
    EXPECT_EQ(FullPath(u"."), u"/usr/lib");
    EXPECT_EQ(FullPath(u".."), u"/usr");
    EXPECT_EQ(FullPath(u"../../../.."), u"/");
    EXPECT_EQ(FullPath(u"sub/"), u"/usr/lib/sub/");
    ASSERT_EQ(chdir(saved.c_str()), 0);
}

TEST(PosixFullPathName, GivesZeroWhenItDoesNotFitOrCannotResolve) {
    char16_t out[8];
    EXPECT_EQ(sys::FullPathName(u"/abcdef", out, 8), 7u); // 7 units and the terminator
    EXPECT_EQ(std::u16string(out), u"/abcdef");
    EXPECT_EQ(sys::FullPathName(u"/abcdefg", out, 8), 0u);
    EXPECT_EQ(sys::FullPathName(u"/abcdef", out, 0), 0u);
    EXPECT_EQ(sys::FullPathName(u"", out, 8), 0u);
    EXPECT_EQ(sys::FullPathName(nullptr, out, 8), 0u);
}

TEST(PosixModules, ExecutableAndModulePaths) {
    char16_t exe[4096] = {};
    uint32_t length = sys::ExecutablePath(exe, 4096);
    ASSERT_GT(length, 0u);
    std::u16string program(exe);
    EXPECT_EQ(program.front(), u'/');
    EXPECT_TRUE(program.ends_with(u"/kv_posix_sys_tests"));

    char16_t module[4096] = {};
    ASSERT_GT(sys::ModulePathOf(reinterpret_cast<const void*>(&sys::HeapAllocZeroed), module, 4096),
              0u);
    EXPECT_TRUE(std::u16string(module).ends_with(u"/libkvsys.so"));

    char16_t self[4096] = {};
    ASSERT_GT(sys::ModulePathOf(reinterpret_cast<const void*>(&Widen), self, 4096), 0u);
    EXPECT_EQ(std::u16string(self), program);

    EXPECT_EQ(sys::ExecutablePath(exe, length), 0u); // no room for the terminator
}

TEST(PosixLibraries, LoadFindAndFree) {
    char16_t module[4096] = {};
    ASSERT_GT(sys::ModulePathOf(reinterpret_cast<const void*>(&sys::HeapAllocZeroed), module, 4096),
              0u);
    sys::Handle library = sys::LoadSharedLibrary(module);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(sys::FindSymbol(library, "_ZN3sys15HeapAllocZeroedEm"),
              reinterpret_cast<void*>(&sys::HeapAllocZeroed));
    EXPECT_EQ(sys::FindSymbol(library, "NoSuchSymbolAnywhere"), nullptr);
    sys::FreeSharedLibrary(library);
    EXPECT_EQ(sys::LoadSharedLibrary(u"/no/such/library.so"), nullptr);
    EXPECT_EQ(std::u16string(sys::PluginLibraryName()), u"Korvanite.so");
}

TEST(PosixFiles, ReadWholeFile) {
    std::string path = testing::TempDir() + "kv_posix_read_test.bin";
    const std::string content("\x00\x01\xFFtext\r\n", 9);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);

    char* bytes = nullptr;
    size_t size = 0;
    ASSERT_TRUE(sys::ReadWholeFile(Widen(path).c_str(), &bytes, &size));
    EXPECT_EQ(std::string(bytes, size), content);
    sys::FreeFileBytes(bytes);

    file = std::fopen(path.c_str(), "wb");
    std::fclose(file);
    ASSERT_TRUE(sys::ReadWholeFile(Widen(path).c_str(), &bytes, &size));
    EXPECT_NE(bytes, nullptr);
    EXPECT_EQ(size, 0u);
    sys::FreeFileBytes(bytes);
    std::remove(path.c_str());

    EXPECT_FALSE(sys::ReadWholeFile(Widen(path).c_str(), &bytes, &size));
    EXPECT_EQ(bytes, nullptr);
    EXPECT_FALSE(sys::ReadWholeFile(u"/", &bytes, &size)); // a directory is not a file
}

} // namespace
