// Files and path names: full path names, the program's and a module's own file name, and whole
// files read into memory.
#include <cstdlib>

#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {
namespace {

// GetModuleFileNameW cuts a name that does not fit and returns the capacity.
uint32_t ModuleFileName(HMODULE module, char16_t* out, uint32_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    DWORD length = GetModuleFileNameW(module, win32::Wide(out), capacity);
    if (length == 0 || length >= capacity) {
        out[0] = 0;
        return 0;
    }
    return length;
}

bool ReadAll(HANDLE file, char* bytes, size_t size, size_t* got) {
    *got = 0;
    while (*got < size) {
        DWORD chunk = size - *got > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size - *got);
        DWORD read = 0;
        if (!ReadFile(file, bytes + *got, chunk, &read, nullptr)) return false;
        if (read == 0) break; // the file became shorter
        *got += read;
    }
    return true;
}

} // namespace

uint32_t FullPathName(const char16_t* name, char16_t* out, uint32_t capacity) {
    if (name == nullptr || name[0] == 0 || out == nullptr || capacity == 0) return 0;
    DWORD length = GetFullPathNameW(win32::Wide(name), capacity, win32::Wide(out), nullptr);
    // When it does not fit, the result is the size needed, terminator included.
    return length == 0 || length >= capacity ? 0 : length;
}

uint32_t ExecutablePath(char16_t* out, uint32_t capacity) {
    return ModuleFileName(nullptr, out, capacity);
}

uint32_t ModulePathOf(const void* address, char16_t* out, uint32_t capacity) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return 0;
    return ModuleFileName(module, out, capacity);
}

bool ReadWholeFile(const char16_t* path, char** bytes, size_t* size) {
    if (bytes == nullptr || size == nullptr) return false;
    *bytes = nullptr;
    *size = 0;
    if (path == nullptr || path[0] == 0) return false;
    HANDLE file = CreateFileW(win32::Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER length{};
    bool ok = GetFileSizeEx(file, &length) && length.QuadPart >= 0 &&
              static_cast<unsigned long long>(length.QuadPart) < SIZE_MAX;
    char* block = nullptr;
    size_t got = 0;
    if (ok) {
        size_t wanted = static_cast<size_t>(length.QuadPart);
        // At least one byte, so that an empty file still gives a block to free.
        block = static_cast<char*>(std::malloc(wanted == 0 ? 1 : wanted));
        ok = block != nullptr && ReadAll(file, block, wanted, &got);
    }
    ::CloseHandle(file);
    if (!ok) {
        std::free(block);
        return false;
    }
    *bytes = block;
    *size = got;
    return true;
}

void FreeFileBytes(char* bytes) {
    std::free(bytes);
}

} // namespace sys
