// Environment, process id and time. The environment keeps Windows' rule that a name is the
// same name in any case: a lookup finds it in any case, and setting it replaces every variant.
#include <cerrno>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>
#include <unistd.h>

#include "sys/posix/environment_index.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace sys {
namespace {

struct Environment {
    std::mutex lock;
    posix::EnvironmentIndex index;
};

// Never freed: `environ` points into it until the process has ended.
Environment& TheEnvironment() {
    static Environment* environment = new Environment;
    return *environment;
}

// A name Windows would accept: not empty and without "=".
bool IsVariableName(std::u16string_view name) {
    return !name.empty() && name.find(u'=') == std::u16string_view::npos;
}

} // namespace

uint32_t GetEnv(const char16_t* name, char16_t* out, uint32_t capacity) {
    if (name == nullptr || !IsVariableName(name)) return 0;
    if (out == nullptr) capacity = 0;
    std::u16string value;
    {
        Environment& environment = TheEnvironment();
        std::lock_guard<std::mutex> guard(environment.lock);
        const char* found = environment.index.Find(name);
        if (found == nullptr) return 0;
        value = text::FromUtf8(found);
    }
    uint32_t length = static_cast<uint32_t>(value.size());
    if (length >= capacity) return length + 1;
    value.copy(out, length);
    out[length] = 0;
    return length;
}

bool SetEnv(const char16_t* name, const char16_t* value) {
    if (name == nullptr || !IsVariableName(name)) return false;
    const bool removing = value == nullptr || value[0] == 0;
    const std::string valueBytes = removing ? std::string() : text::ToUtf8(value);
    Environment& environment = TheEnvironment();
    std::lock_guard<std::mutex> guard(environment.lock);
    environment.index.Set(name, removing ? nullptr : valueBytes.c_str());
    return true;
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
