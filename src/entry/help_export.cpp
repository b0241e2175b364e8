// The Help export: the host asks for help on one of the plug-in's features.
#include "frame/exports.h"
#include "frame/help_topic.h"
#include "frame/help_viewer.h"

KV_EXPORT int KV_API Help(const HostChar* name) {
    char16_t topic[kTopicCapacity];
    if (!HelpTopicOf(FromHost(name), topic)) return 0;
    return ShowHelpTopic(topic);
}
