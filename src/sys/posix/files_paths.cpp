// Files and path names: full path names, the program's and a module's own file name, and whole
// files read into memory.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "sys/posix/path_normalise.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace sys {
namespace {

// Copies a UTF-16 text with its terminator; 0 when it is empty or does not fit.
uint32_t CopyOut(const std::u16string& text, char16_t* out, uint32_t capacity) {
    if (text.empty() || out == nullptr || text.size() >= capacity) return 0;
    text.copy(out, text.size());
    out[text.size()] = 0;
    return static_cast<uint32_t>(text.size());
}

std::u16string CurrentDirectory() {
    char* bytes = getcwd(nullptr, 0);
    if (bytes == nullptr) return {};
    std::u16string directory = text::FromUtf8(bytes);
    free(bytes);
    return directory;
}

std::u16string LinkTarget(const char* link) {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        ssize_t length = readlink(link, buffer.data(), buffer.size());
        if (length < 0) return {};
        if (static_cast<size_t>(length) < buffer.size())
            return text::FromUtf8(std::string_view(buffer.data(), static_cast<size_t>(length)));
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string AbsoluteFileName(const char* name) {
    if (name[0] == '/') return text::FromUtf8(name);
    char* resolved = realpath(name, nullptr);
    if (resolved == nullptr) return {};
    std::u16string result = text::FromUtf8(resolved);
    free(resolved);
    return result;
}

} // namespace

uint32_t FullPathName(const char16_t* name, char16_t* out, uint32_t capacity) {
    if (name == nullptr || name[0] == 0) return 0;
    std::u16string directory;
    if (name[0] != u'/') {
        directory = CurrentDirectory();
        if (directory.empty()) return 0;
    }
    return CopyOut(posix::AbsolutePath(directory, name), out, capacity);
}

uint32_t ExecutablePath(char16_t* out, uint32_t capacity) {
    return CopyOut(LinkTarget("/proc/self/exe"), out, capacity);
}

uint32_t ModulePathOf(const void* address, char16_t* out, uint32_t capacity) {
    Dl_info info{};
    link_map* module = nullptr;
    if (dladdr1(address, &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) == 0) return 0;
    // The loader names the program itself "", and a library by the name it was opened with.
    if (module == nullptr || module->l_name == nullptr || module->l_name[0] == 0)
        return ExecutablePath(out, capacity);
    return CopyOut(AbsoluteFileName(module->l_name), out, capacity);
}

bool ReadWholeFile(const char16_t* path, char** bytes, size_t* size) {
    if (bytes == nullptr || size == nullptr) return false;
    *bytes = nullptr;
    *size = 0;
    if (path == nullptr || path[0] == 0) return false;
    int fd = open(text::ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string content;
    struct stat status {};
    if (fstat(fd, &status) == 0 && status.st_size > 0)
        content.reserve(static_cast<size_t>(status.st_size));
    char chunk[65536];
    bool complete = false;
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            complete = got == 0;
            break;
        }
        content.append(chunk, static_cast<size_t>(got));
    }
    close(fd);
    if (!complete) return false;
    // At least one byte, so that an empty file still gives a block to free.
    char* block = static_cast<char*>(malloc(content.empty() ? 1 : content.size()));
    if (block == nullptr) return false;
    content.copy(block, content.size());
    *bytes = block;
    *size = content.size();
    return true;
}

void FreeFileBytes(char* bytes) {
    free(bytes);
}

} // namespace sys
