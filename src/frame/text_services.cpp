#include "frame/text_services.h"

#include <iterator>

#include "frame/host_services.h"
#include "frame/plugin_identity.h"
#include "frame/plugin_state.h"
#include "sys/sys.h"
#include "text/format.h"
#include "text/u16.h"

namespace {
constexpr int kLongestGroupableText = 8182;

// Holds "%@comma[" with twenty digits and "]" before expansion, and the 26 units of the grouped
// form after it, with room for a host that groups differently.
char16_t CommaBuffer[128];
} // namespace

int CommaFormatText(char16_t* text, int capacity) {
    if (text == nullptr) return -1;
    size_t length = text::Length(text);
    if (length > kLongestGroupableText) return 1;

    char16_t expansion[kTextCapacity];
    text::Format(expansion, kTextCapacity, u"%%@comma[%s]", text);
    if (ExpandVariables(AsHost(expansion), 1) != 0) return 2;
    if (capacity <= 0 || text::Length(expansion) >= static_cast<size_t>(capacity)) return 3;
    text::CopyBounded(text, static_cast<size_t>(capacity), expansion);
    return 0;
}

const char16_t* CommaFormatU64(uint64_t value) {
    text::Format(CommaBuffer, std::size(CommaBuffer), u"%%@comma[%I64u]", value);
    ExpandVariables(AsHost(CommaBuffer), 1);
    return CommaBuffer;
}

int ShowCommandUsage(const char16_t* usage, const char* modulePath, const char* moduleVersion,
                     int withVersion) {
    QPuts(AsHost(usage == nullptr ? u"" : usage));
    if (withVersion == 0) return 0;
    Printf(AsHost(u"\r\n\t\t\t\t%s  %u.%u.%u.%u (%s)\r\n"), plugin::kName, plugin::kMajor,
           plugin::kMinor, plugin::kBuild, plugin::kRevision, plugin::kPlatform);
    if (modulePath != nullptr && moduleVersion != nullptr) {
        static char16_t path[kPathCapacity];
        char16_t version[kUsageCapacity];
        AnsiText(modulePath, path, kPathCapacity);
        AnsiText(moduleVersion, version, kUsageCapacity);
        const char16_t* name = FileNamePart(path);
        Printf(AsHost(u"\t\t\t\t%s  %s\r\n"), name == nullptr ? u"" : name, version);
    }
    return 0;
}

void AnsiText(const char* ascii, char16_t* out, int capacity) {
    if (capacity <= 0) return;
    if (sys::MultiByteToWide(sys::AnsiCodePage(), ascii, -1, out, capacity) != 0) return;
    int i = 0;
    for (; ascii[i] != 0 && i + 1 < capacity; ++i) out[i] = static_cast<unsigned char>(ascii[i]);
    out[i] = 0;
}

const char16_t* FileNamePart(const char16_t* path) {
    if (path == nullptr || path[0] == 0) return nullptr;
    const char16_t* cut = nullptr;
    bool separatorSeen = false;
    for (const char16_t* p = path; *p != 0; ++p) {
        if (*p == u'/' || *p == u'\\') {
            cut = p;
            separatorSeen = true;
        } else if (*p == u':' && !separatorSeen) {
            cut = p;
        }
    }
    return cut == nullptr ? path : cut + 1;
}

int TrimBlanks(char16_t* text) {
    if (text == nullptr) return -1;
    size_t length = text::Length(text);
    size_t first = 0;
    while (first < length && sys::IsSpace(text[first])) ++first;
    size_t end = length;
    while (end > first && sys::IsSpace(text[end - 1])) --end;
    for (size_t i = first; i < end; ++i) text[i - first] = text[i];
    text[end - first] = 0;
    return 0;
}
