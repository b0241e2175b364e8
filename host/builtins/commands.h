// The commands a line can name: the host's own (echo, set, goto, plugin, ...) in a table, and
// else the plug-in's commands.
#pragma once

#include "session/session.h"

#include <string_view>

namespace host {

// Runs one command whose variables are expanded: a built-in command, or else a command the
// plug-in announces. Sets %_? to the command's result.
void RunCommandText(Session& session, std::u16string_view expanded);

} // namespace host
