// Loading and unloading: InitializePlugin, ShutdownPlugin, GetPluginInfo.
#include "console/interrupt.h"
#include "frame/exports.h"
#include "frame/help_viewer.h"
#include "frame/plugin_identity.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "store/process_key.h"
#include "text/u16.h"

namespace {

PluginInfoRecord PluginInfo;

// Expands a host text. The buffer is sized for the host's longest expansion, whatever the
// variables hold, so a long value can never run past it.
bool ExpandHostText(const char16_t* source, char16_t (&text)[kTextCapacity]) {
    text::CopyBounded(text, kTextCapacity, source);
    return ExpandVariables(AsHost(text), 1) == 0;
}

bool HostIsLiteEdition() {
    char16_t text[kTextCapacity];
    return ExpandHostText(u"%_cmdproc", text) && text::EqualNoCase(text, u"TCCLE");
}

void ShowLoadMessage() {
    char16_t text[kTextCapacity];
    if (!ExpandHostText(u"%[_transient]%[_pipe]%[noloadmsg]", text)) return;
    if (text[0] == u'0' && text[1] == u'0' && text[2] == 0)
        Printf(AsHost(u"%s v%u.%u.%u loaded.\r\n"), plugin::kName, plugin::kMajor, plugin::kMinor,
               plugin::kBuild);
}

sys::Handle OpenConsoleOut() {
    sys::Handle console = sys::OpenConsoleDevice();
    if (console != nullptr) return console;
    sys::SleepMillis(50);
    return sys::OpenConsoleDevice();
}

} // namespace

KV_EXPORT int KV_API InitializePlugin() {
    if (HostIsLiteEdition()) {
        ReportMessage(u"This plugin is not for TCC/LE!  Plugin not loaded.\r\n");
        return 1;
    }
    ShowLoadMessage();
    ConsoleOut = OpenConsoleOut();
    CreateProcessKey();
    return 0;
}

KV_EXPORT int KV_API ShutdownPlugin(int removeRecords) {
    if (removeRecords != 0) DeleteProcessKey();
    StopHelpViewer();
    CtrlCPressed = 0;
    if (CtrlHandlerInstalled != 0) RemoveCtrlHandler();
    if (ConsoleOut != nullptr) {
        sys::CloseHandle(ConsoleOut);
        ConsoleOut = nullptr;
    }
    return 0;
}

KV_EXPORT PluginInfoRecord* KV_API GetPluginInfo() {
    PluginInfo.name = AsHost(plugin::kName);
    PluginInfo.author = AsHost(plugin::kAuthor);
    PluginInfo.email = AsHost(u"developers@korvanite.dev");
    PluginInfo.webPage = AsHost(u"https://korvanite.dev/");
    PluginInfo.description = AsHost(u"Helper functions for binary buffers");
    PluginInfo.features = AsHost(plugin::kFeatureList);
    PluginInfo.major = plugin::kMajor;
    PluginInfo.minor = plugin::kMinor;
    PluginInfo.build = plugin::kBuild;
    return &PluginInfo;
}
