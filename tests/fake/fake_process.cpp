// Environment, process id and time in memory: names compare without regard to case, sleeping
// only moves the fake clock.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fake/fake_sys.h"
#include "fake/fake_topics.h"
#include "sys/posix/unicode_ctype.h"
#include "sys/sys.h"

namespace {

struct Process {
    std::vector<std::pair<std::u16string, std::u16string>> environment;
    uint32_t processId = fake::kDefaultProcessId;
    uint32_t ticks = 0;
    uint64_t sleptMillis = 0;
    int sleepCalls = 0;
};

Process& State() {
    static Process state;
    return state;
}

bool IsVariableName(const char16_t* name) {
    return name != nullptr && name[0] != 0 &&
           std::u16string_view(name).find(u'=') == std::u16string_view::npos;
}

} // namespace

namespace fake {

namespace detail {
void ResetProcess() {
    State() = Process{};
}
} // namespace detail

void SetProcessId(uint32_t id) {
    State().processId = id;
}
void SetTickCount(uint32_t ticks) {
    State().ticks = ticks;
    detail::OnTickCountSet();
}
void AdvanceTicks(uint32_t millis) {
    State().ticks += millis;
    detail::OnTicksMoved();
}
uint64_t SleptMillis() {
    return State().sleptMillis;
}
int SleepCalls() {
    return State().sleepCalls;
}

} // namespace fake

namespace sys {

uint32_t GetEnv(const char16_t* name, char16_t* out, uint32_t capacity) {
    if (!IsVariableName(name)) return 0;
    if (out == nullptr) capacity = 0;
    for (const auto& [variable, value] : State().environment) {
        if (!posix::SameNameNoCase(variable, name)) continue;
        uint32_t length = static_cast<uint32_t>(value.size());
        if (length >= capacity) return length + 1;
        value.copy(out, length);
        out[length] = 0;
        return length;
    }
    return 0;
}

bool SetEnv(const char16_t* name, const char16_t* value) {
    if (!IsVariableName(name)) return false;
    if (fake::detail::FaultFor(fake::Call::EnvironmentWrite, 8)) return false;
    auto& environment = State().environment;
    std::erase_if(environment,
                  [&](const auto& entry) { return posix::SameNameNoCase(entry.first, name); });
    if (value != nullptr && value[0] != 0) environment.emplace_back(name, value);
    return true;
}

uint32_t ProcessId() {
    return State().processId;
}

void SleepMillis(uint32_t millis) {
    State().sleptMillis += millis;
    ++State().sleepCalls;
    State().ticks += millis;
    fake::detail::OnTicksMoved();
}

uint32_t TickCount() {
    return State().ticks;
}

} // namespace sys
