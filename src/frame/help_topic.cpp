// Feature names to help topics, found by walking the announced feature list.
#include "frame/help_topic.h"

#include <string_view>

#include "frame/plugin_identity.h"
#include "text/u16.h"

bool HelpTopicOf(const char16_t* name, char16_t (&topic)[kTopicCapacity]) {
    topic[0] = 0;
    if (name == nullptr) return false;
    const std::u16string_view wanted(name);
    std::u16string_view rest = plugin::kFeatureList;
    while (!rest.empty()) {
        const size_t comma = rest.find(u',');
        const std::u16string_view entry = rest.substr(0, comma);
        rest = comma == std::u16string_view::npos ? std::u16string_view{} : rest.substr(comma + 1);
        if (entry.empty() || !text::EqualNoCase(entry, wanted)) continue;

        const char16_t* prefix = entry[0] == u'@' ? u"f_" : entry[0] == u'_' ? u"v" : u"";
        const std::u16string_view stem = entry[0] == u'@' ? entry.substr(1) : entry;
        size_t length = text::CopyBounded(topic, kTopicCapacity, prefix);
        for (char16_t c : stem) {
            if (length + 1 >= kTopicCapacity) break;
            topic[length++] = text::AsciiLower(c);
        }
        topic[length] = 0;
        return true;
    }
    return false;
}
