// Loading and unloading the plug-in: from its shared library, or bound to exports directly.
#pragma once

#include "session/session.h"

#include <string>

namespace host {

enum class LoadOutcome {
    Loaded,
    Refused,    // InitializePlugin said no; the plug-in gave its own message
    NotFound,   // the library could not be loaded
    NotAPlugin, // the protocol exports are missing
};

// The plug-in library the host loads at start: PLUGHOST_PLUGIN when set, else the platform's
// plug-in library beside the host program.
std::u16string DefaultPluginPath();

// Initializes a plug-in reached through `binding` and reads its feature list.
LoadOutcome AttachPlugin(Session& session, const PluginBinding& binding);

// Loads the library at `path` and attaches it; a library that is refused or is no plug-in is
// released again. Reports every failure but a refusal (the plug-in reports that itself).
LoadOutcome LoadPluginLibrary(Session& session, const std::u16string& path);

// Calls ShutdownPlugin(removeRecords) and releases the library. Nothing when none is loaded.
void UnloadPlugin(Session& session, int removeRecords);

} // namespace host
