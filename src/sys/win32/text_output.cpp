// Standard streams and text output: a console gets UTF-16 through WriteConsoleW, a file or pipe
// gets UTF-8.
#include <string>

#include "sys/failed_output_files.h"
#include "sys/sys.h"
#include "sys/win32/win32_handle.h"

namespace sys {
namespace {

// Pieces small enough for every console host, and for one conversion buffer.
constexpr size_t kPieceUnits = 8192;

bool WriteToConsole(HANDLE console, const char16_t* text, size_t length) {
    while (length > 0) {
        size_t piece = win32::PieceLength(text, length, kPieceUnits);
        DWORD written = 0;
        if (!WriteConsoleW(console, win32::Wide(text), static_cast<DWORD>(piece), &written,
                           nullptr) ||
            written == 0)
            return false;
        text += written;
        length -= written;
    }
    return true;
}

bool WriteAllBytes(HANDLE file, const char* bytes, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr) || written == 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool WriteAsUtf8(HANDLE file, const char16_t* text, size_t length) {
    std::string bytes;
    while (length > 0) {
        size_t piece = win32::PieceLength(text, length, kPieceUnits);
        int needed = WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text), static_cast<int>(piece),
                                         nullptr, 0, nullptr, nullptr);
        if (needed <= 0) return false;
        bytes.resize(static_cast<size_t>(needed));
        if (WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text), static_cast<int>(piece),
                                bytes.data(), needed, nullptr, nullptr) != needed)
            return false;
        if (!WriteAllBytes(file, bytes.data(), bytes.size())) return false;
        text += piece;
        length -= piece;
    }
    return true;
}

// Standard output waiting to be written, when it goes to a file or pipe. 64 KiB keeps the
// number of writes low without holding back much when the process is stopped from outside.
constexpr size_t kPendingBytes = 64 * 1024;

struct PendingOutput {
    bool collecting = false;
    HANDLE file = nullptr; // standard output when collecting began
    size_t used = 0;
    char bytes[kPendingBytes];
};

PendingOutput Pending;

// A file behind standard output: a disk file is known by its volume and index, since a handle's
// value is given again once it is closed; anything else by its handle.
struct OutputFile {
    HANDLE handle = nullptr;
    DWORD volume = 0;
    uint64_t index = 0;
    bool operator==(const OutputFile&) const = default;
};

FailedOutputFiles<OutputFile> Failed;

OutputFile StandardOutputFile() {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(output) == FILE_TYPE_DISK && GetFileInformationByHandle(output, &information))
        return OutputFile{nullptr, information.dwVolumeSerialNumber,
                          (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
    return OutputFile{output, 0, 0};
}

uint32_t FailureOfOutputNow() {
    return Failed.FailureNow(StandardOutputFile);
}

// ERROR_GEN_FAILURE stands for a failure that left no code.
void NoteOutputFailure(DWORD code) {
    Failed.Note(StandardOutputFile(), code != 0 ? code : 31);
}

bool IsStandardOutput(HANDLE handle) {
    return handle == GetStdHandle(STD_OUTPUT_HANDLE);
}

// Adds text to what waits, writing that out first when the text might not fit. A UTF-16 unit
// never needs more than 3 UTF-8 bytes (a surrogate pair gives 4 for 2 units).
bool Collect(const char16_t* text, size_t length) {
    constexpr size_t kBytesPerUnit = 3;
    const size_t most = length * kBytesPerUnit;
    if (most > kPendingBytes - Pending.used && !FlushStandardOutput()) return false;
    if (most > kPendingBytes) {
        if (WriteAsUtf8(Pending.file, text, length)) return true;
        NoteOutputFailure(GetLastError());
        return false;
    }
    const int room = static_cast<int>(kPendingBytes - Pending.used);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text), static_cast<int>(length),
                                    Pending.bytes + Pending.used, room, nullptr, nullptr);
    if (bytes <= 0) return false;
    Pending.used += static_cast<size_t>(bytes);
    return true;
}

} // namespace

Handle StdHandle(StdStream stream) {
    DWORD which = STD_INPUT_HANDLE;
    if (stream == StdStream::Output)
        which = STD_OUTPUT_HANDLE;
    else if (stream == StdStream::Error)
        which = STD_ERROR_HANDLE;
    return win32::HandleOf(GetStdHandle(which));
}

bool IsConsole(Handle handle) {
    DWORD mode = 0;
    return handle != nullptr && GetConsoleMode(static_cast<HANDLE>(handle), &mode) != 0;
}

bool WriteText(Handle handle, const char16_t* text, size_t length) {
    if (handle == nullptr || (text == nullptr && length != 0)) return false;
    if (length == 0) return true;
    HANDLE file = static_cast<HANDLE>(handle);
    const bool output = IsStandardOutput(file);
    // Output for a file that failed is not even converted: a long listing ends soon after.
    if (output && FailureOfOutputNow() != 0) return false;
    if (Pending.collecting) {
        if (file == Pending.file) return Collect(text, length);
        // What standard output fails to take does not keep this text back.
        FlushStandardOutput();
    }
    const bool written =
        IsConsole(handle) ? WriteToConsole(file, text, length) : WriteAsUtf8(file, text, length);
    if (!written && output) NoteOutputFailure(GetLastError());
    return written;
}

bool BufferStandardOutput(bool on) {
    FlushStandardOutput();
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    Pending.collecting = on && output != nullptr && output != INVALID_HANDLE_VALUE &&
                         !IsConsole(win32::HandleOf(output));
    Pending.file = Pending.collecting ? output : nullptr;
    return Pending.collecting;
}

bool FlushStandardOutput() {
    const size_t used = Pending.used;
    Pending.used = 0;
    if (used == 0) return true;
    if (FailureOfOutputNow() != 0) return false;
    if (WriteAllBytes(Pending.file, Pending.bytes, used)) return true;
    NoteOutputFailure(GetLastError());
    return false;
}

uint32_t StandardOutputError() {
    return FailureOfOutputNow();
}

} // namespace sys
