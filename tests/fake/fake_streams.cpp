// Standard streams and the console device in memory: writes are captured as UTF-8.
#include <cstdint>
#include <map>
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

constexpr uint32_t kDiskFull = 112;

struct StreamState {
    std::string captured;
    bool console = false;
};

struct Streams {
    StreamState input, output, error;
    std::string consoleDeviceText;
    int outputWrites = 0;
    int openAttempts = 0;
    uintptr_t nextDevice = kFirstConsoleDevice;
    std::set<uintptr_t> openDevices;
    sys::Handle redirected[3] = {}; // what RedirectStdStream made a stream, by StdStream
    // The targets of standard output whose writes failed, with the code: the process's own
    // standard output (null) or a file made standard output. Neither is written again.
    std::map<sys::Handle, uint32_t> failedOutputs;
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
void ForgetFailedOutput(void* handle) {
    State().failedOutputs.erase(handle);
}
} // namespace detail

const std::string& StdOut() {
    return State().output.captured;
}
const std::string& StdErr() {
    return State().error.captured;
}
const std::string& ConsoleDeviceText() {
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
    Streams& state = State();
    // What standard output is now: the process's own (null), or a file made standard output.
    const Handle outputTarget = state.redirected[static_cast<int>(StdStream::Output)];
    StreamState* stream = IsOpenDevice(handle) ? nullptr : StreamOf(handle);
    const bool toOutput = stream == &state.output || (stream == nullptr && handle == outputTarget);
    if (stream == &state.input) return false;
    if (toOutput && state.failedOutputs.contains(stream != nullptr ? nullptr : handle))
        return false;
    if (auto code = fake::detail::FaultFor(fake::Call::StreamWrite, kDiskFull)) {
        if (toOutput) state.failedOutputs[stream != nullptr ? nullptr : handle] = *code;
        return false;
    }
    std::string* sink = nullptr;
    if (IsOpenDevice(handle)) {
        sink = &state.consoleDeviceText;
    } else {
        if (stream == nullptr)
            return fake::detail::AppendToTransferFile(
                handle, text::ToUtf8(std::u16string_view(text, length)));
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

uint32_t StandardOutputError() {
    const Streams& state = State();
    auto failed = state.failedOutputs.find(state.redirected[static_cast<int>(StdStream::Output)]);
    return failed == state.failedOutputs.end() ? 0 : failed->second;
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
    if (fake::detail::FaultFor(fake::Call::ConsoleOpen, 5)) return nullptr;
    uintptr_t device = state.nextDevice++;
    state.openDevices.insert(device);
    return reinterpret_cast<Handle>(device);
}

void CloseHandle(Handle handle) {
    if (fake::detail::CloseTransferFile(handle)) return;
    State().openDevices.erase(reinterpret_cast<uintptr_t>(handle));
}

} // namespace sys
