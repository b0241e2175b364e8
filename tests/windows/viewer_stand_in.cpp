// A stand-in for the HTML help viewer hh.exe, for the help test under Wine: it writes its own
// command line (UTF-8) to viewer-<process id>.txt beside itself, then waits to be terminated,
// as the real viewer waits for its user. It ends by itself after ten minutes, so that a failed
// test leaves nothing running for long.
#include <windows.h>

#include <cwchar>

int wmain() {
    wchar_t path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash == nullptr) return 1;
    swprintf(slash + 1, 32, L"viewer-%lu.tmp", GetCurrentProcessId());

    const wchar_t* line = GetCommandLineW();
    char bytes[8192];
    int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, bytes, sizeof bytes, nullptr, nullptr);
    if (size <= 0) return 1;
    bytes[size - 1] = '\n';
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    // The record appears whole: it is renamed only once it is written.
    wchar_t done[MAX_PATH + 32];
    wcscpy(done, path);
    wcscpy(wcsrchr(done, L'.'), L".txt");
    MoveFileW(path, done);
    Sleep(10 * 60 * 1000);
    return 0;
}
