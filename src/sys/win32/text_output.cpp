// Standard streams and text output: a console gets UTF-16 through WriteConsoleW, a file or pipe
// gets UTF-8.
#include <string>

#include "sys/failed_output_files.h"
#include "sys/pending_output.h"
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

struct PendingWrites {
    static size_t Encode(const char16_t* text, size_t length, char* out, size_t room) {
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text), static_cast<int>(length), out,
                                static_cast<int>(room), nullptr, nullptr);
        return bytes > 0 ? static_cast<size_t>(bytes) : 0;
    }
    static bool WriteBytes(Handle file, const char* bytes, size_t size) {
        if (FailureOfOutputNow() != 0) return false;
        if (WriteAllBytes(static_cast<HANDLE>(file), bytes, size)) return true;
        NoteOutputFailure(GetLastError());
        return false;
    }
    static bool WriteUnbuffered(Handle file, const char16_t* text, size_t length) {
        if (WriteAsUtf8(static_cast<HANDLE>(file), text, length)) return true;
        NoteOutputFailure(GetLastError());
        return false;
    }
};

PendingOutput<PendingWrites> Pending;

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
    if (Pending.Takes(handle)) return Pending.Add(text, length);
    // What standard output fails to take does not keep this text back.
    Pending.Flush();
    const bool written =
        IsConsole(handle) ? WriteToConsole(file, text, length) : WriteAsUtf8(file, text, length);
    if (!written && output) NoteOutputFailure(GetLastError());
    return written;
}

bool BufferStandardOutput(bool on) {
    const Handle output = StdHandle(StdStream::Output);
    Pending.CollectFor(on && output != nullptr && !IsConsole(output) ? output : nullptr);
    return Pending.Target() != nullptr;
}

bool FlushStandardOutput() {
    return Pending.Flush();
}

uint32_t StandardOutputError() {
    return FailureOfOutputNow();
}

} // namespace sys
