// Processes, the message box and the file lookups of the help launcher.
#include <cwchar>
#include <vector>

#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

uint32_t FileAttributes(const char16_t* path) {
    if (path == nullptr || path[0] == 0) return kNoFileAttributes;
    return GetFileAttributesW(win32::Wide(path));
}

void UseFileSystemSeparators(char16_t* /*path*/) {}

uint32_t SearchProgram(const char16_t* fileName, char16_t* out, uint32_t capacity) {
    if (fileName == nullptr || fileName[0] == 0 || out == nullptr || capacity == 0) return 0;
    DWORD length =
        SearchPathW(nullptr, win32::Wide(fileName), nullptr, capacity, win32::Wide(out), nullptr);
    // When it does not fit, the result is the size needed, terminator included.
    if (length == 0 || length >= capacity) {
        out[0] = 0;
        return 0;
    }
    return length;
}

Handle StartProcess(const char16_t* application, const char16_t* commandLine) {
    if (application == nullptr || commandLine == nullptr) return nullptr;
    // CreateProcessW may write into its command line, so it gets a copy of its own.
    const wchar_t* source = win32::Wide(commandLine);
    std::vector<wchar_t> line(source, source + wcslen(source) + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    FlushStandardOutput(); // what the user has been shown comes before anything of the child's
    if (!CreateProcessW(win32::Wide(application), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started))
        return nullptr;
    ::CloseHandle(started.hThread);
    return started.hProcess;
}

void EndProcess(Handle process, uint32_t exitCode) {
    if (process == nullptr) return;
    // A viewer that the user has closed already cannot be terminated; its handle still goes.
    TerminateProcess(static_cast<HANDLE>(process), exitCode);
    ::CloseHandle(static_cast<HANDLE>(process));
}

uint32_t WindowsDirectory(char16_t* out, uint32_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    UINT length = GetWindowsDirectoryW(win32::Wide(out), capacity);
    if (length == 0 || length >= capacity) {
        out[0] = 0;
        return 0;
    }
    return length;
}

void ShowMessageBox(const char16_t* caption, const char16_t* text) {
    MessageBoxW(GetForegroundWindow(), win32::Wide(text), win32::Wide(caption), MB_OK);
}

} // namespace sys
