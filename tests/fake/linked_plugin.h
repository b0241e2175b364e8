// The real plug-in linked into a test program: every export it has, by name, as a host binds
// them from the library. The feature exports come from the table of features, so a new feature
// is here as soon as it is in the table.
#pragma once

#include <iterator>

#include "frame/exports.h"
#include "frame/feature_exports.h"
#include "session/plugin_slot.h"

inline const host::ExportTable& LinkedPluginExports() {
    static const host::NamedExport entries[] = {
        {"InitializePlugin", reinterpret_cast<void*>(&InitializePlugin)},
        {"ShutdownPlugin", reinterpret_cast<void*>(&ShutdownPlugin)},
        {"GetPluginInfo", reinterpret_cast<void*>(&GetPluginInfo)},
        {"Usage", reinterpret_cast<void*>(&Usage)},
        {"Help", reinterpret_cast<void*>(&Help)},
#define KV_COMMAND(name, ...) {#name, reinterpret_cast<void*>(&name)},
#define KV_FUNCTION(name, ...) {"f_" #name, reinterpret_cast<void*>(&f_##name)},
#define KV_VARIABLE(name, ...) {"_" #name, reinterpret_cast<void*>(&_##name)},
#include "frame/features.def"
    };
    static const host::ExportTable table{entries, std::size(entries)};
    return table;
}
