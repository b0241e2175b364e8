// The fault plans of the fake system: every call that can fail in reality asks here whether it is
// to fail now, and how. The C++ runtime's allocations that may fail (new (std::nothrow)) ask too.
#include <climits>
#include <cstdlib>
#include <new>
#include <vector>

#include "fake/fake_sys.h"
#include "fake/fake_topics.h"

namespace {

struct Plan {
    fake::Call call;
    int64_t callsLeft; // calls of the kind before the first that fails
    uint32_t code;
    int failuresLeft;
};

struct Faults {
    std::vector<Plan> plans;
    bool counting = true;
    uint64_t calls = 0;
    fake::FallibleCallHook hook = nullptr;
    bool watching = false;
    std::vector<void*> watched;
    int met = 0;
    fake::Call lastMet = fake::Call::Any;
};

Faults& State() {
    static Faults state;
    return state;
}

} // namespace

namespace fake {

namespace detail {

void ResetFaults() {
    State() = Faults{};
}

std::optional<uint32_t> FaultFor(Call call, uint32_t usualCode) {
    Faults& state = State();
    if (!state.counting) return std::nullopt;
    ++state.calls;
    std::optional<uint32_t> fault;
    for (Plan& plan : state.plans) {
        if (plan.failuresLeft == 0 || (plan.call != Call::Any && plan.call != call)) continue;
        if (plan.callsLeft > 0) {
            --plan.callsLeft;
            continue;
        }
        if (plan.failuresLeft != kEveryCall) --plan.failuresLeft;
        if (!fault) fault = plan.code == kUsualCode ? usualCode : plan.code;
    }
    if (!fault && state.hook != nullptr) {
        if (std::optional<uint32_t> code = state.hook(call))
            fault = *code == kUsualCode ? usualCode : *code;
    }
    if (fault) {
        // Only a read or a write can move nothing; any other call fails as it usually does.
        if (*fault == kMovesNothing && call != Call::FileRead && call != Call::FileWrite)
            fault = usualCode;
        ++state.met;
        state.lastMet = call;
    }
    return fault;
}

} // namespace detail

void PlanFault(Call call, int64_t nth, uint32_t code, int count) {
    if (nth < 1 || count < 1) return;
    State().plans.push_back(Plan{call, nth - 1, code, count});
}

void ClearFaults() {
    State().plans.clear();
}

void SetFallibleCallHook(FallibleCallHook hook) {
    State().hook = hook;
}

void WatchMemory(bool on) {
    State().watching = on;
}

std::vector<void*> TakeWatchedMemory() {
    std::vector<void*> blocks;
    blocks.swap(State().watched);
    return blocks;
}

void CountFallibleCalls(bool on) {
    State().counting = on;
}

uint64_t FallibleCalls() {
    return State().calls;
}

int FaultsMet() {
    return State().met;
}

Call LastFaultCall() {
    return State().lastMet;
}

const char* CallName(Call call) {
    switch (call) {
    case Call::Any:
        return "any call";
    case Call::HeapBlock:
        return "heap block";
    case Call::Memory:
        return "memory";
    case Call::FileOpen:
        return "file open";
    case Call::FileRead:
        return "file read";
    case Call::FileWrite:
        return "file write";
    case Call::FileSeek:
        return "file seek";
    case Call::FileSize:
        return "file size";
    case Call::FileClose:
        return "file close";
    case Call::RegistryCreate:
        return "registry create";
    case Call::RegistryOpen:
        return "registry open";
    case Call::RegistrySet:
        return "registry set";
    case Call::RegistryRead:
        return "registry read";
    case Call::RegistryDelete:
        return "registry delete";
    case Call::ClipboardOpen:
        return "clipboard open";
    case Call::ClipboardRead:
        return "clipboard read";
    case Call::RandomOpen:
        return "random open";
    case Call::RandomFill:
        return "random bytes";
    case Call::Digest:
        return "digest";
    case Call::CodePage:
        return "code-page conversion";
    case Call::ConsoleOpen:
        return "console open";
    case Call::ControlHandler:
        return "control handler";
    case Call::StreamWrite:
        return "stream write";
    case Call::EnvironmentWrite:
        return "environment write";
    case Call::ProcessStart:
        return "process start";
    }
    return "?";
}

} // namespace fake

namespace {

template <typename Allocate>
void* AllocateOrFail(std::size_t size, Allocate allocate) noexcept {
    if (fake::detail::FaultFor(fake::Call::Memory, 8)) return nullptr;
    void* block = nullptr;
    try {
        block = allocate(size);
    } catch (...) {
        return nullptr;
    }
    Faults& state = State();
    if (state.watching && state.counting) state.watched.push_back(block);
    return block;
}

} // namespace

// The C++ runtime's allocations that report failure rather than throw: the program's own
// replacements, so that a plan can refuse them as a full heap would. The rest of the allocation
// functions stay the runtime's (and the sanitizers').
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrFail(size, [](std::size_t n) { return ::operator new(n); });
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrFail(size, [](std::size_t n) { return ::operator new[](n); });
}
