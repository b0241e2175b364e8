// Files read and written in pieces; failures leave their code for GetLastError.
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {

uint32_t LastErrorCode() {
    return GetLastError();
}

Handle OpenFileForReading(const char16_t* path) {
    return win32::HandleOf(CreateFileW(win32::Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

Handle CreateFileForWriting(const char16_t* path) {
    return win32::HandleOf(CreateFileW(win32::Wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

Handle OpenFileForAppending(const char16_t* path) {
    return win32::HandleOf(CreateFileW(win32::Wide(path), FILE_APPEND_DATA, FILE_SHARE_READ,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// GetFileSizeEx needs the right to read attributes, which GENERIC_WRITE does not hold. A device
// (NUL, CON, COM1) opens too, but is no file to patch.
Handle OpenFileForPatching(const char16_t* path) {
    HANDLE file =
        CreateFileW(win32::Wide(path), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return static_cast<Handle>(file);
}

bool CloseFile(Handle file) {
    return ::CloseHandle(static_cast<HANDLE>(file)) != FALSE;
}

bool SeekFile(Handle file, uint64_t offset) {
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(offset);
    if (offset > static_cast<uint64_t>(INT64_MAX)) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    return SetFilePointerEx(static_cast<HANDLE>(file), distance, nullptr, FILE_BEGIN) != FALSE;
}

bool FileSizeOf(Handle file, uint64_t* size) {
    LARGE_INTEGER value{};
    if (size == nullptr || !GetFileSizeEx(static_cast<HANDLE>(file), &value)) return false;
    *size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool ReadFilePiece(Handle file, void* bytes, uint32_t size, uint32_t* done) {
    DWORD got = 0;
    const bool read = ReadFile(static_cast<HANDLE>(file), bytes, size, &got, nullptr) != FALSE;
    if (done != nullptr) *done = read ? got : 0;
    return read;
}

bool WriteFilePiece(Handle file, const void* bytes, uint32_t size, uint32_t* done) {
    DWORD put = 0;
    const bool written = WriteFile(static_cast<HANDLE>(file), bytes, size, &put, nullptr) != FALSE;
    if (done != nullptr) *done = written ? put : 0;
    return written;
}

} // namespace sys
