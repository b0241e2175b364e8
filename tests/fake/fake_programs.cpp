// Processes, programs, the message box and file attributes of the fake system: nothing runs and
// nothing is shown; tests read what would have been started, ended and said.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fake/fake_sys.h"
#include "fake/fake_topics.h"
#include "sys/sys.h"

namespace {

struct Programs {
    std::map<std::u16string, uint32_t> attributes; // by full name
    std::map<std::u16string, std::u16string> locations;
    std::vector<fake::StartedProcess> started;
    std::vector<std::string> events;
    std::u16string windowsDirectory = u"C:\\Windows";
    std::vector<fake::ShownMessageBox> messageBoxes;
};

Programs& State() {
    static Programs state;
    return state;
}

std::u16string FullName(std::u16string_view path) {
    std::u16string slashes(path);
    for (char16_t& c : slashes)
        if (c == u'\\') c = u'/';
    return fake::detail::FullFakeName(slashes);
}

uint32_t CopyOut(const std::u16string& text, char16_t* out, uint32_t capacity) {
    if (text.empty() || out == nullptr || text.size() >= capacity) return 0;
    text.copy(out, text.size());
    out[text.size()] = 0;
    return static_cast<uint32_t>(text.size());
}

// Handles are the process's number in the list plus a recognisable base.
constexpr uintptr_t kHandleBase = 0x7000;

size_t NumberOf(sys::Handle handle) {
    return reinterpret_cast<uintptr_t>(handle) - kHandleBase;
}

} // namespace

namespace fake {

namespace detail {
void ResetPrograms() {
    State() = Programs{};
}
} // namespace detail

void AddDirectory(std::u16string_view path) {
    State().attributes[FullName(path)] = sys::kFileAttributeDirectory;
}
void AddDevice(std::u16string_view path) {
    State().attributes[FullName(path)] = sys::kFileAttributeDevice;
}
void SetProgramLocation(std::u16string_view fileName, std::u16string_view fullPath) {
    State().locations[std::u16string(fileName)] = fullPath;
}
const std::vector<StartedProcess>& StartedProcesses() {
    return State().started;
}
const std::vector<std::string>& ProcessEvents() {
    return State().events;
}
void SetWindowsDirectory(std::u16string_view directory) {
    State().windowsDirectory = directory;
}
const std::vector<ShownMessageBox>& MessageBoxes() {
    return State().messageBoxes;
}

} // namespace fake

namespace sys {

uint32_t FileAttributes(const char16_t* path) {
    if (path == nullptr || path[0] == 0) return kNoFileAttributes;
    std::u16string full = FullName(path);
    auto found = State().attributes.find(full);
    if (found != State().attributes.end()) return found->second;
    return fake::detail::HasFakeFile(full) ? kFileAttributeNormal : kNoFileAttributes;
}

// The paths stay in the Windows form, so that the tests see the command line a viewer gets there.
void UseFileSystemSeparators(char16_t* /*path*/) {}

uint32_t SearchProgram(const char16_t* fileName, char16_t* out, uint32_t capacity) {
    if (fileName == nullptr) return 0;
    auto found = State().locations.find(fileName);
    return found == State().locations.end() ? 0 : CopyOut(found->second, out, capacity);
}

Handle StartProcess(const char16_t* application, const char16_t* commandLine) {
    if (application == nullptr || commandLine == nullptr) return nullptr;
    if (fake::detail::FaultFor(fake::Call::ProcessStart, 1455)) return nullptr;
    auto& started = State().started;
    Handle handle = reinterpret_cast<Handle>(kHandleBase + started.size() + 1);
    started.push_back({application, commandLine, handle, false, 0});
    State().events.push_back("start " + std::to_string(started.size()));
    return handle;
}

void EndProcess(Handle process, uint32_t exitCode) {
    if (process == nullptr) return;
    size_t number = NumberOf(process);
    auto& started = State().started;
    if (number == 0 || number > started.size() || started[number - 1].ended) {
        State().events.push_back("end of an unknown process");
        return;
    }
    started[number - 1].ended = true;
    started[number - 1].exitCode = exitCode;
    State().events.push_back("end " + std::to_string(number));
}

uint32_t WindowsDirectory(char16_t* out, uint32_t capacity) {
    return CopyOut(State().windowsDirectory, out, capacity);
}

void ShowMessageBox(const char16_t* caption, const char16_t* text) {
    State().messageBoxes.push_back(
        {caption != nullptr ? caption : u"", text != nullptr ? text : u""});
}

} // namespace sys
