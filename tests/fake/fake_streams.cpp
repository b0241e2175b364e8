// Standard streams and the console device in memory: writes are captured as UTF-8.
#include <cstdint>
#include <set>
#include <string>

#include "fake/fake_sys.h"
#include "fake/fake_topics.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace {

constexpr uintptr_t kInputHandle = 0xF001;
constexpr uintptr_t kOutputHandle = 0xF002;
constexpr uintptr_t kErrorHandle = 0xF003;
constexpr uintptr_t kFirstConsoleDevice = 0xC001;

struct StreamState {
    std::string captured;
    bool console = false;
    bool writeFails = false;
};

struct Streams {
    StreamState input, output, error;
    std::string consoleDeviceText;
    int outputWrites = 0;
    int failingOpens = 0;
    int openAttempts = 0;
    uintptr_t nextDevice = kFirstConsoleDevice;
    std::set<uintptr_t> openDevices;
    sys::Handle redirected[3] = {}; // what RedirectStdStream made a stream, by StdStream
};

Streams& State() {
    static Streams state;
    return state;
}

StreamState* StreamOf(sys::StdStream stream) {
    switch (stream) {
    case sys::StdStream::Input:
        return &State().input;
    case sys::StdStream::Output:
        return &State().output;
    case sys::StdStream::Error:
        return &State().error;
    }
    return nullptr;
}

StreamState* StreamOf(sys::Handle handle) {
    switch (reinterpret_cast<uintptr_t>(handle)) {
    case kInputHandle:
        return &State().input;
    case kOutputHandle:
        return &State().output;
    case kErrorHandle:
        return &State().error;
    }
    return nullptr;
}

bool IsOpenDevice(sys::Handle handle) {
    return State().openDevices.count(reinterpret_cast<uintptr_t>(handle)) != 0;
}

} // namespace

namespace fake {

namespace detail {
void ResetStreams() {
    State() = Streams{};
}
} // namespace detail

std::string StdOut() {
    return State().output.captured;
}
std::string StdErr() {
    return State().error.captured;
}
std::string ConsoleDeviceText() {
    return State().consoleDeviceText;
}

int StdOutWrites() {
    return State().outputWrites;
}

void ClearOutput() {
    State().outputWrites = 0;
    State().output.captured.clear();
    State().error.captured.clear();
    State().consoleDeviceText.clear();
    detail::ClearTranscript();
}

void SetIsConsole(sys::StdStream stream, bool console) {
    StreamOf(stream)->console = console;
}
void SetWriteFails(sys::StdStream stream, bool fails) {
    StreamOf(stream)->writeFails = fails;
}

void FailConsoleOpens(int count) {
    State().failingOpens = count;
}
int ConsoleOpenAttempts() {
    return State().openAttempts;
}
int OpenConsoleDevices() {
    return static_cast<int>(State().openDevices.size());
}

} // namespace fake

namespace sys {

Handle StdHandle(StdStream stream) {
    if (Handle target = State().redirected[static_cast<int>(stream)]; target != nullptr)
        return target;
    switch (stream) {
    case StdStream::Input:
        return reinterpret_cast<Handle>(kInputHandle);
    case StdStream::Output:
        return reinterpret_cast<Handle>(kOutputHandle);
    case StdStream::Error:
        return reinterpret_cast<Handle>(kErrorHandle);
    }
    return nullptr;
}

bool IsConsole(Handle handle) {
    if (IsOpenDevice(handle)) return true;
    StreamState* stream = StreamOf(handle);
    return stream != nullptr && stream->console;
}

bool WriteText(Handle handle, const char16_t* text, size_t length) {
    if (text == nullptr && length != 0) return false;
    std::string* sink = nullptr;
    if (IsOpenDevice(handle)) {
        sink = &State().consoleDeviceText;
    } else {
        StreamState* stream = StreamOf(handle);
        if (stream == nullptr)
            return fake::detail::AppendToTransferFile(
                handle, text::ToUtf8(std::u16string_view(text, length)));
        if (stream == &State().input || stream->writeFails) return false;
        sink = &stream->captured;
    }
    std::string bytes = text::ToUtf8(std::u16string_view(text, length));
    if (length != 0) sink->append(bytes);
    if (sink != &State().error.captured) fake::detail::AppendTranscript(bytes);
    if (sink == &State().output.captured) {
        ++State().outputWrites;
        fake::detail::OnStandardOutputWrite();
    }
    return true;
}

// Captured text is in order as it is written; there is nothing to collect.
bool BufferStandardOutput(bool /*on*/) {
    return false;
}

bool FlushStandardOutput() {
    return true;
}

// A standard output whose writes fail stands for a full disk (ERROR_DISK_FULL).
uint32_t StandardOutputError() {
    return State().output.writeFails ? 112 : 0;
}

bool RedirectStdStream(StdStream stream, Handle target, Handle* saved) {
    if (target == nullptr || saved == nullptr) return false;
    Handle& current = State().redirected[static_cast<int>(stream)];
    *saved = current;
    current = target;
    return true;
}

void RestoreStdStream(StdStream stream, Handle saved) {
    State().redirected[static_cast<int>(stream)] = saved;
}

const char16_t* NullDeviceName() {
    return u"/dev/null";
}

Handle OpenConsoleDevice() {
    Streams& state = State();
    ++state.openAttempts;
    if (state.failingOpens > 0) {
        --state.failingOpens;
        return nullptr;
    }
    uintptr_t device = state.nextDevice++;
    state.openDevices.insert(device);
    return reinterpret_cast<Handle>(device);
}

void CloseHandle(Handle handle) {
    if (fake::detail::CloseTransferFile(handle)) return;
    State().openDevices.erase(reinterpret_cast<uintptr_t>(handle));
}

} // namespace sys
