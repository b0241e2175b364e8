// The highlight colours of a command: normal and highlighted attribute from the user's setting
// and the console's colours, and the colour of the Ctrl-C mark.
#include "console/console_output.h"
#include "console/console_window.h"
#include "frame/host_services.h"
#include "frame/plugin_identity.h"
#include "frame/plugin_state.h"
#include "text/format.h"
#include "text/u16.h"

// Per background colour: a foreground that stands out on it (row 0), and the fallback for when
// that is the colour already in use (row 1).
const uint8_t HighlightTable[2][16] = {
    {0x0F, 0x1F, 0x2F, 0x3F, 0x4F, 0x5F, 0x6F, 0x70, 0x8F, 0x9F, 0xA0, 0xB0, 0xCF, 0xD0, 0xE0,
     0xF2},
    {0x0E, 0x1B, 0x2B, 0x3E, 0x4B, 0x5B, 0x6B, 0x79, 0x8B, 0x9B, 0xA9, 0xB9, 0xC0, 0xDE, 0xEC,
     0xF0},
};

namespace {

constexpr uint32_t kIntensity = 0x8;
constexpr uint32_t kNotRegistryString = 13; // ERROR_INVALID_DATA
constexpr uint32_t kEmptyValue = 232;       // ERROR_NO_DATA
constexpr uint32_t kTooLong = 234;          // ERROR_MORE_DATA
constexpr uint32_t kNoSuchKey = 0xFFFFFFFF;
constexpr int kKeyNameCapacity = 256;
// ParseColors' background for "no background given" in some of its forms.
constexpr int kBackgroundUnset = 64;

constexpr char16_t kVendorKey[] = u"SOFTWARE\\RURoruved";

// An environment variable as text; empty when unset or too long for the buffer.
void ReadEnvironmentText(const char16_t* name, char16_t (&out)[kHighlightTextCapacity]) {
    const uint32_t length = sys::GetEnv(name, out, kHighlightTextCapacity);
    if (length == 0 || length >= uint32_t(kHighlightTextCapacity)) out[0] = 0;
}

// The highlight in the table for a colour's background, avoiding the colour itself.
uint8_t TableHighlight(uint32_t attribute) {
    const uint32_t background = (attribute >> 4) & 0xF;
    const uint8_t first = HighlightTable[0][background];
    return first == (attribute & 0xFF) ? HighlightTable[1][background] : first;
}

bool StandardOutputIsConsole() {
    uint32_t mode = 0xFFFFFFFF;
    return sys::ConsoleMode(sys::StdHandle(sys::StdStream::Output), &mode) && mode != 0xFFFFFFFF;
}

// The user's highlight setting from the environment or the registry; false when none.
bool FindHighlightSetting(char16_t (&setting)[kHighlightTextCapacity]) {
    ReadEnvironmentText(u"Highlight", setting);
    if (setting[0] != 0) return true;
    char16_t pluginKey[kKeyNameCapacity];
    text::Format(pluginKey, kKeyNameCapacity, u"%s\\%s", kVendorKey, plugin::kName);
    const char16_t* keys[] = {pluginKey, kVendorKey};
    for (const char16_t* key : keys)
        for (sys::RegistryRoot root :
             {sys::RegistryRoot::CurrentUser, sys::RegistryRoot::LocalMachine})
            if (ReadHighlightValue(root, key, setting) == 0) return true;
    return false;
}

// "0x" and then nothing but hexadecimal digits whose value fits in 32 bits.
bool ReadHexAttribute(const char16_t* digits, uint32_t* value) {
    uint64_t number = 0;
    if (*digits == 0) return false;
    for (; *digits != 0; ++digits) {
        const char16_t c = *digits;
        uint32_t digit = 0;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        number = number * 16 + digit;
        if (number > 0xFFFFFFFFu) return false;
    }
    *value = static_cast<uint32_t>(number);
    return true;
}

} // namespace

bool ColorSuppressedByEnvironment() {
    char16_t noColor[kHighlightTextCapacity];
    char16_t highlight[kHighlightTextCapacity];
    ReadEnvironmentText(u"NO_COLOR", noColor);
    ReadEnvironmentText(u"Highlight", highlight);
    return noColor[0] != 0 && highlight[0] == 0;
}

uint32_t ReadHighlightValue(sys::RegistryRoot root, const char16_t* subKey, char16_t* out) {
    if (out == nullptr) return kNoSuchKey;
    out[0] = 0;
    if (subKey == nullptr || subKey[0] == 0) return kNoSuchKey;
    sys::RegistryKey key = nullptr;
    uint32_t result = sys::OpenRegistryKey(sys::RegistryRootKey(root), subKey, &key);
    if (result != sys::kRegOk) return result;
    uint32_t type = 0;
    uint32_t size = kHighlightTextCapacity * sizeof(char16_t);
    result = sys::QueryRegistryValue(key, u"Highlight", &type, out, &size);
    sys::CloseRegistryKey(key);
    const uint32_t units = size / sizeof(char16_t);
    if (result == sys::kRegOk && type != sys::kRegString) result = kNotRegistryString;
    // A text that fills the whole buffer has no room left for its terminator.
    if (result == sys::kRegOk && units == uint32_t(kHighlightTextCapacity) && out[units - 1] != 0)
        result = kTooLong;
    if (result != sys::kRegOk) {
        out[0] = 0;
        return result;
    }
    if (units < uint32_t(kHighlightTextCapacity)) out[units] = 0;
    if (out[0] == 0) return kEmptyValue;
    return 0;
}

uint32_t SetupHighlight() {
    if (!StandardOutputIsConsole() || ColorSuppressedByEnvironment()) return 0;
    unsigned current = 0;
    unsigned unused = 0;
    GetAttribute(&current, &unused);
    const uint32_t attribute = current & 0xFF;
    const int foreground = int(attribute & 0xF);
    const int background = int(attribute >> 4);
    if (foreground == background) return 0;

    uint32_t highlight = 0;
    char16_t setting[kHighlightTextCapacity];
    if (!FindHighlightSetting(setting)) {
        if ((foreground & kIntensity) == 0 && (background & kIntensity) == 0 && foreground != 0)
            highlight = attribute | kIntensity;
        else
            highlight = TableHighlight(attribute);
    } else {
        int f = -1;
        int b = -1;
        if (text::StartsWithNoCase(setting, u"inv")) {
            f = background;
            b = int(attribute & 7);
        } else if (text::StartsWithNoCase(setting, u"0x")) {
            uint32_t value = 0;
            if (ReadHexAttribute(setting + 2, &value)) {
                f = int(value & 0xF);
                b = int(value >> 4);
            }
        } else {
            ParseColors(AsHost(setting), &f, &b);
        }

        if (b == kBackgroundUnset) {
            if (f < 0) return 0;
            b = -1;
        }
        if (f < 0) return 0;
        // Colours are 0 to 15 (the 64 of "no background" is settled above): more, as in 0x1FF,
        // would be cut to its low bits and could come out as text in its own background colour.
        if (f > 15 || b > 15) return 0;
        if (b >= 0 && b != f && (f != foreground || b != background)) {
            highlight = (uint32_t(b) * 16 + uint32_t(f)) & 0xFF;
        } else if (b != -1) {
            return 0;
        } else {
            if (f == foreground || f == background) return 0;
            highlight = uint32_t(background * 16 + f) & 0xFF;
        }
    }
    NormalAttr = static_cast<uint8_t>(attribute);
    HighlightAttr = static_cast<uint8_t>(highlight);
    return highlight;
}

uint32_t SetMarkColor() {
    uint16_t value = 0;
    uint32_t current = 7;
    if (sys::ConsoleTextAttribute(ConsoleOut, &value) && (value & 0xFF) != 0)
        current = value & 0xFF;
    const uint8_t mark = TableHighlight(current);
    SetConsoleColor(ConsoleOut, mark);
    SetColors(mark);
    return current;
}
