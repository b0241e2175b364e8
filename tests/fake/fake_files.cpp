// Paths, files and modules of the fake system: a fake current directory and program location,
// in-memory files, and a loader that never loads.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "fake/fake_sys.h"
#include "fake/fake_topics.h"
#include "sys/posix/path_normalise.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace {

struct Files {
    std::u16string currentDirectory = u"/fake/cwd";
    std::u16string executablePath = u"/fake/bin/plughost";
    std::u16string modulePath = u"/fake/bin/Korvanite.so";
    std::map<std::u16string, std::string> contents;
    int libraryLoads = 0;
    std::u16string providedLibrary;
    fake::SymbolFinder findSymbol = nullptr;
};

Files& State() {
    static Files state;
    return state;
}

uint32_t CopyOut(const std::u16string& text, char16_t* out, uint32_t capacity) {
    if (text.empty() || out == nullptr || text.size() >= capacity) return 0;
    text.copy(out, text.size());
    out[text.size()] = 0;
    return static_cast<uint32_t>(text.size());
}

std::u16string FullName(std::u16string_view name) {
    return sys::posix::AbsolutePath(State().currentDirectory, name);
}

bool ReadRealFile(const char16_t* path, std::string& content) {
    std::FILE* file = std::fopen(text::ToUtf8(path).c_str(), "rb");
    if (file == nullptr) return false;
    char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
    bool complete = std::ferror(file) == 0;
    std::fclose(file);
    return complete;
}

} // namespace

namespace fake {

namespace detail {
void ResetFiles() {
    State() = Files{};
}
std::u16string FullFakeName(std::u16string_view path) {
    return FullName(path);
}
bool HasFakeFile(const std::u16string& fullName) {
    return State().contents.contains(fullName);
}
} // namespace detail

void SetCurrentDirectory(std::u16string_view directory) {
    State().currentDirectory.assign(directory);
}
void SetExecutablePath(std::u16string_view path) {
    State().executablePath.assign(path);
}
void SetModulePath(std::u16string_view path) {
    State().modulePath.assign(path);
}

void AddFile(std::u16string_view path, std::string_view bytes) {
    State().contents[FullName(path)].assign(bytes);
}

void ProvideLibrary(std::u16string_view path, SymbolFinder find) {
    State().providedLibrary = FullName(path);
    State().findSymbol = find;
}

int LibraryLoadAttempts() {
    return State().libraryLoads;
}

} // namespace fake

namespace sys {

uint32_t FullPathName(const char16_t* name, char16_t* out, uint32_t capacity) {
    if (name == nullptr || name[0] == 0) return 0;
    return CopyOut(FullName(name), out, capacity);
}

uint32_t ExecutablePath(char16_t* out, uint32_t capacity) {
    return CopyOut(State().executablePath, out, capacity);
}

uint32_t ModulePathOf(const void* /*address*/, char16_t* out, uint32_t capacity) {
    return CopyOut(State().modulePath, out, capacity);
}

bool ReadWholeFile(const char16_t* path, char** bytes, size_t* size) {
    if (bytes == nullptr || size == nullptr) return false;
    *bytes = nullptr;
    *size = 0;
    if (path == nullptr || path[0] == 0) return false;
    std::string content;
    auto found = State().contents.find(FullName(path));
    if (found != State().contents.end())
        content = found->second;
    else if (!ReadRealFile(path, content))
        return false;
    char* block = static_cast<char*>(std::malloc(content.empty() ? 1 : content.size()));
    if (block == nullptr) return false;
    std::memcpy(block, content.data(), content.size());
    *bytes = block;
    *size = content.size();
    return true;
}

void FreeFileBytes(char* bytes) {
    std::free(bytes);
}

// The provided library's handle: one that names nothing else.
Handle LoadSharedLibrary(const char16_t* path) {
    Files& state = State();
    ++state.libraryLoads;
    if (path == nullptr || state.findSymbol == nullptr || FullName(path) != state.providedLibrary)
        return nullptr;
    return &state.findSymbol;
}

void* FindSymbol(Handle library, const char* name) {
    Files& state = State();
    if (library != &state.findSymbol || state.findSymbol == nullptr || name == nullptr)
        return nullptr;
    return state.findSymbol(name);
}
void FreeSharedLibrary(Handle /*library*/) {}
const char16_t* PluginLibraryName() {
    return u"Korvanite.so";
}

} // namespace sys
