// Environment, process id and time. The environment keeps Windows' rule that a name is the
// same name in any case: a lookup finds it in any case, and setting it replaces every variant.
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "frame/text/u16.h"
#include "sys/posix/unicode_ctype.h"
#include "sys/sys.h"

extern char** environ;

namespace sys {
namespace {

std::mutex& EnvironmentLock() {
    static std::mutex lock;
    return lock;
}

// A name Windows would accept: not empty and without "=".
bool IsVariableName(std::u16string_view name) {
    return !name.empty() && name.find(u'=') == std::u16string_view::npos;
}

bool NameMatches(std::string_view entryName, std::u16string_view name) {
    return posix::SameNameNoCase(text::FromUtf8(entryName), name);
}

// The value of the first entry whose name matches; false when there is none.
bool FindVariable(std::u16string_view name, std::u16string& value) {
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string_view text(*entry);
        size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        if (!NameMatches(text.substr(0, equals), name)) continue;
        value = text::FromUtf8(text.substr(equals + 1));
        return true;
    }
    return false;
}

// Every spelling of the name present in the environment.
std::vector<std::string> SpellingsOf(std::u16string_view name) {
    std::vector<std::string> spellings;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string_view text(*entry);
        size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        if (NameMatches(text.substr(0, equals), name))
            spellings.emplace_back(text.substr(0, equals));
    }
    return spellings;
}

} // namespace

uint32_t GetEnv(const char16_t* name, char16_t* out, uint32_t capacity) {
    if (name == nullptr || !IsVariableName(name)) return 0;
    if (out == nullptr) capacity = 0;
    std::u16string value;
    {
        std::lock_guard<std::mutex> guard(EnvironmentLock());
        if (!FindVariable(name, value)) return 0;
    }
    uint32_t length = static_cast<uint32_t>(value.size());
    if (length >= capacity) return length + 1;
    value.copy(out, length);
    out[length] = 0;
    return length;
}

bool SetEnv(const char16_t* name, const char16_t* value) {
    if (name == nullptr || !IsVariableName(name)) return false;
    std::lock_guard<std::mutex> guard(EnvironmentLock());
    for (const std::string& spelling : SpellingsOf(name))
        if (unsetenv(spelling.c_str()) != 0) return false;
    if (value == nullptr || value[0] == 0) return true;
    std::string nameBytes = text::ToUtf8(name);
    std::string valueBytes = text::ToUtf8(value);
    return setenv(nameBytes.c_str(), valueBytes.c_str(), 1) == 0;
}

uint32_t ProcessId() {
    return static_cast<uint32_t>(getpid());
}

void SleepMillis(uint32_t millis) {
    timespec left{static_cast<time_t>(millis / 1000), static_cast<long>(millis % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

uint32_t TickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t millis =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(millis);
}

} // namespace sys
