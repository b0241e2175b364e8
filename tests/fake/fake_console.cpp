// The console in memory: window size, colours, scripted keys and control events that arrive
// when the fake clock or the output reaches them.
#include <cstdio>
#include <deque>
#include <string>

#include "fake/fake_sys.h"
#include "fake/fake_topics.h"
#include "sys/sys.h"

namespace {

struct TimedKey {
    uint32_t code;
    uint64_t due; // in ticks since the reset, never wrapping
};

struct PendingEvent {
    uint32_t event;
    uint64_t due;
};

struct Console {
    uint32_t rows = fake::kDefaultConsoleRows;
    uint16_t attribute = fake::kDefaultConsoleAttribute;
    bool attributeUnreadable = false;
    std::string transcript;
    std::deque<TimedKey> keys;
    int readsWithoutKey = 0;
    uint64_t lastKeyActivity = 0;
    int keyInputDepth = 0;
    int heldPolls[2] = {0, 0};
    int statePolls[2] = {0, 0};
    std::deque<PendingEvent> timedEvents;
    uint32_t writeEvent = 0;
    int writesToEvent = 0; // 0: none planned
    sys::ControlHandler handler = nullptr;
    int handlerChanges = 0;
    // The clock as the console sees it: ticks moved since the reset, without wrapping.
    uint64_t now = 0;
    uint32_t lastTicks = 0;
    int localOffsetMinutes = 0;
    bool localTimeFails = false;
};

Console& State() {
    static Console state;
    return state;
}

uint64_t Now() {
    Console& console = State();
    uint32_t ticks = sys::TickCount();
    console.now += static_cast<uint32_t>(ticks - console.lastTicks);
    console.lastTicks = ticks;
    return console.now;
}

int KeyIndex(sys::KeyName key) {
    return key == sys::KeyName::Escape ? 0 : 1;
}

void Raise(uint32_t event) {
    if (State().handler != nullptr) State().handler(event);
}

// With no key queued, a wait that has lasted this long gets Esc, so that a test that queued
// too few keys ends instead of hanging.
constexpr uint64_t kGiveUpMillis = 600000;

bool KeyDue() {
    return !State().keys.empty() && State().keys.front().due <= Now();
}

bool GivenUp() {
    return State().keys.empty() && Now() - State().lastKeyActivity > kGiveUpMillis;
}

} // namespace

namespace fake {

namespace detail {
void ResetConsole() {
    State() = Console{};
    State().lastTicks = sys::TickCount();
}

void AppendTranscript(std::string_view text) {
    State().transcript.append(text);
}
void ClearTranscript() {
    State().transcript.clear();
}

void OnStandardOutputWrite() {
    Console& console = State();
    if (console.writesToEvent > 0 && --console.writesToEvent == 0) Raise(console.writeEvent);
}

void RaiseControlEvent(uint32_t event) {
    Raise(event);
}

// A tick count set by a test is a new reading of the clock, not time that passed.
void OnTickCountSet() {
    State().lastTicks = sys::TickCount();
}

void OnTicksMoved() {
    Console& console = State();
    uint64_t now = Now();
    while (!console.timedEvents.empty() && console.timedEvents.front().due <= now) {
        uint32_t event = console.timedEvents.front().event;
        console.timedEvents.pop_front();
        Raise(event);
    }
}
} // namespace detail

void SetConsoleRows(uint32_t rows) {
    State().rows = rows;
}
void SetConsoleAttribute(uint16_t attribute) {
    State().attribute = attribute;
}
uint16_t ConsoleAttribute() {
    return State().attribute;
}
void SetConsoleAttributeUnreadable(bool unreadable) {
    State().attributeUnreadable = unreadable;
}

std::string ConsoleTranscript() {
    return State().transcript;
}

void QueueKeys(std::u16string_view keys, uint32_t afterMillis) {
    Console& console = State();
    uint64_t due = Now() + afterMillis;
    if (!console.keys.empty() && console.keys.back().due > due) due = console.keys.back().due;
    for (char16_t key : keys) console.keys.push_back(TimedKey{key, due});
    console.lastKeyActivity = Now();
}
size_t QueuedKeys() {
    return State().keys.size();
}
int KeyReadsWithoutKey() {
    return State().readsWithoutKey;
}
int KeyInputDepth() {
    return State().keyInputDepth;
}

void HoldKey(sys::KeyName key, int polls) {
    State().heldPolls[KeyIndex(key)] = polls;
}
int KeyStatePolls(sys::KeyName key) {
    return State().statePolls[KeyIndex(key)];
}

void RaiseControlEventAfter(uint32_t event, uint32_t afterMillis) {
    State().timedEvents.push_back(PendingEvent{event, Now() + afterMillis});
}
void RaiseControlEventAtWrite(uint32_t event, int writes) {
    State().writeEvent = event;
    State().writesToEvent = writes;
}
bool ControlHandlerInstalled() {
    return State().handler != nullptr;
}
int ControlHandlerChanges() {
    return State().handlerChanges;
}

void SetLocalTimeOffset(int minutes) {
    State().localOffsetMinutes = minutes;
}
void SetLocalTimeFails(bool fails) {
    State().localTimeFails = fails;
}

} // namespace fake

namespace sys {

bool ConsoleMode(Handle handle, uint32_t* mode) {
    if (!IsConsole(handle)) return false;
    if (mode != nullptr) *mode = 0x3;
    return true;
}

bool ConsoleWindowRows(Handle handle, uint32_t* rows) {
    if (!IsConsole(handle) || State().rows == 0) return false;
    if (rows != nullptr) *rows = State().rows;
    return true;
}

bool ConsoleTextAttribute(Handle handle, uint16_t* attribute) {
    if (!IsConsole(handle) || State().attributeUnreadable) return false;
    if (attribute != nullptr) *attribute = State().attribute;
    return true;
}

bool SetConsoleTextAttribute(Handle handle, uint16_t attribute) {
    if (!IsConsole(handle)) return false;
    State().attribute = attribute;
    char mark[8];
    std::snprintf(mark, sizeof mark, "{%02X}", unsigned(attribute & 0xFF));
    State().transcript += mark;
    return true;
}

void BeginKeyInput() {
    ++State().keyInputDepth;
}
void EndKeyInput() {
    --State().keyInputDepth;
}

bool KeyInputResumed() {
    return false;
}

bool KeyWaiting() {
    return KeyDue() || GivenUp();
}

uint32_t ReadKeyCode() {
    Console& console = State();
    console.lastKeyActivity = Now();
    if (console.keys.empty()) {
        ++console.readsWithoutKey;
        return 27;
    }
    // A read waits for the key: the clock moves on to it.
    uint64_t now = Now();
    TimedKey key = console.keys.front();
    console.keys.pop_front();
    if (key.due > now) fake::AdvanceTicks(static_cast<uint32_t>(key.due - now));
    return key.code;
}

void DiscardWaitingKeys() {
    while (KeyDue()) State().keys.pop_front();
}

bool KeyIsDown(KeyName key) {
    int index = KeyIndex(key);
    ++State().statePolls[index];
    if (State().heldPolls[index] == 0) return false;
    --State().heldPolls[index];
    return true;
}

bool AddControlHandler(ControlHandler handler) {
    if (handler == nullptr) return false;
    if (fake::detail::FaultFor(fake::Call::ControlHandler, 8)) return false;
    if (State().handler != handler) ++State().handlerChanges;
    State().handler = handler;
    return true;
}

bool RemoveControlHandler(ControlHandler handler) {
    if (handler == nullptr || State().handler != handler) return false;
    if (fake::detail::FaultFor(fake::Call::ControlHandler, 8)) return false;
    State().handler = nullptr;
    ++State().handlerChanges;
    return true;
}

bool LocalTimeOf(const SystemTime& utc, SystemTime* local) {
    if (local == nullptr || State().localTimeFails) return false;
    // Carry the offset through minutes, hours and days; months of 28 to 31 days.
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = utc.year, month = utc.month, day = utc.day;
    int minutes = utc.hour * 60 + utc.minute + State().localOffsetMinutes;
    int dayOfWeek = utc.dayOfWeek;
    while (minutes < 0) {
        minutes += 1440;
        dayOfWeek = (dayOfWeek + 6) % 7;
        if (--day == 0) {
            if (--month == 0) {
                month = 12;
                --year;
            }
            bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
            day = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
        }
    }
    while (minutes >= 1440) {
        minutes -= 1440;
        dayOfWeek = (dayOfWeek + 1) % 7;
        bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        if (++day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) {
            day = 1;
            if (++month == 13) {
                month = 1;
                ++year;
            }
        }
    }
    *local = SystemTime{uint16_t(year), uint16_t(month),        uint16_t(dayOfWeek),
                        uint16_t(day),  uint16_t(minutes / 60), uint16_t(minutes % 60),
                        utc.second,     utc.milliseconds};
    return true;
}

} // namespace sys
