// Loading and unloading the plug-in.
#include "plugin/plugin_loader.h"

#include "text/u16.h"

namespace host {

namespace {

void* FindInLibrary(void* library, const char* name) {
    return sys::FindSymbol(library, name);
}

template <typename Export>
Export Resolve(const PluginBinding& binding, const char* name) {
    return reinterpret_cast<Export>(binding.find(binding.context, name));
}

// The directory part of a path, with its separator.
std::u16string DirectoryOf(const std::u16string& path) {
    size_t cut = path.find_last_of(u"/\\");
    return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

} // namespace

std::u16string DefaultPluginPath() {
    std::optional<std::u16string> chosen = ReadEnvironment(u"PLUGHOST_PLUGIN");
    if (chosen && !chosen->empty()) return *chosen;
    return DirectoryOf(HostProgramPath()) + sys::PluginLibraryName();
}

LoadOutcome AttachPlugin(Session& session, const PluginBinding& binding) {
    if (binding.find == nullptr) return LoadOutcome::NotAPlugin;
    auto initialize = Resolve<InitializeExport>(binding, "InitializePlugin");
    auto shutdown = Resolve<ShutdownExport>(binding, "ShutdownPlugin");
    auto getInfo = Resolve<GetInfoExport>(binding, "GetPluginInfo");
    if (initialize == nullptr || shutdown == nullptr || getInfo == nullptr)
        return LoadOutcome::NotAPlugin;

    if (initialize() != 0) return LoadOutcome::Refused;

    PluginSlot& plugin = session.plugin;
    plugin = PluginSlot{};
    plugin.loaded = true;
    plugin.binding = binding;
    plugin.shutdown = shutdown;
    plugin.usage = Resolve<UsageExport>(binding, "Usage");
    plugin.help = Resolve<HelpExport>(binding, "Help");
    const PluginInfoRecord* info = getInfo();
    if (info != nullptr && info->features != nullptr)
        plugin.features = SplitFeatureList(FromHost(info->features));
    return LoadOutcome::Loaded;
}

LoadOutcome LoadPluginLibrary(Session& session, const std::u16string& path) {
    sys::Handle library = sys::LoadSharedLibrary(path.c_str());
    if (library == nullptr) {
        HostMessage(session, u"cannot load the plug-in \"" + path + u"\"");
        return LoadOutcome::NotFound;
    }
    LoadOutcome outcome = AttachPlugin(session, PluginBinding{library, FindInLibrary});
    if (outcome == LoadOutcome::Loaded) {
        session.plugin.library = library;
        return outcome;
    }
    if (outcome == LoadOutcome::NotAPlugin)
        HostMessage(session, u"\"" + path +
                                 u"\" is not a plug-in (it lacks InitializePlugin, "
                                 u"ShutdownPlugin or GetPluginInfo)");
    sys::FreeSharedLibrary(library);
    return outcome;
}

void UnloadPlugin(Session& session, int removeRecords) {
    PluginSlot& plugin = session.plugin;
    if (!plugin.loaded) return;
    plugin.shutdown(removeRecords);
    sys::Handle library = plugin.library;
    plugin = PluginSlot{};
    if (library != nullptr) sys::FreeSharedLibrary(library);
}

} // namespace host
