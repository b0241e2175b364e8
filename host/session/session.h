// The host's state while it runs: its variables, where a script stands, where output goes, and
// the plug-in it holds.
//
// The services that the plug-in calls work on the active session. Everything that belongs to
// one script is in ScriptState, so that a run of many scripts can start each one afresh.
#pragma once

#include "frame/host_services.h"
#include "language/colors.h"
#include "session/plugin_slot.h"
#include "sys/sys.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace host {

// The longest line the host runs, and the longest text an expansion may give (the expansion
// buffer of kHostExpandCapacity units holds it and its terminator).
inline constexpr size_t kMaxTextUnits = kHostExpandCapacity - 1;

struct ScriptState {
    int lastResult = 0; // %_?
    bool transient = false;
    bool pipe = false;
    bool inBatch = false;
    std::u16string batchName; // full path of the running script
    int batchLine = 0;
    std::vector<std::u16string> args; // %0 (the script as given), %1, ...
    bool exitRequested = false;
    int exitStatus = 0;
    bool quitRequested = false; // `quit`: the batch file ends
    bool gotoRequested = false; // `goto`: the batch file goes on after gotoLabel
    std::u16string gotoLabel;
    bool echoOn = false; // `echo on`: a batch file's commands are shown before they run
    unsigned currentAttribute = kDefaultAttribute;
    // Environment variables as they were before this script changed them, in the order of
    // their first change, and the names among them (lower-cased) to find one at once.
    std::vector<std::pair<std::u16string, std::optional<std::u16string>>> savedEnvironment;
    std::unordered_set<std::u16string> savedNames;
};

// Where one of the session's output streams goes: to a handle, or collected in memory.
struct OutputStream {
    sys::Handle handle = nullptr;
    std::u16string* capture = nullptr; // when set, the text is appended here instead
};

struct Session {
    ScriptState script;
    std::u16string pluginPath; // where `plugin /l` loads from when no path is given
    PluginSlot plugin;
    // Where standard output and standard error of this session go. Writes to the process's
    // standard handles are sent here, so a session's output can be collected apart.
    OutputStream out;
    OutputStream err;
};

// A session that writes to the process's standard handles.
void InitSession(Session& session);

// Undoes the environment changes of the current script and starts a fresh ScriptState.
void ResetScriptState(Session& session);

// The session the services work on. Without an activated one, a default session serves.
Session& ActiveSession();

class ActivateSession {
public:
    explicit ActivateSession(Session& session);
    ~ActivateSession();
    ActivateSession(const ActivateSession&) = delete;
    ActivateSession& operator=(const ActivateSession&) = delete;

private:
    Session* previous_;
};

// ---- Output ----------------------------------------------------------------------------------

// Writes to a handle, sending the process's standard output and error to the session's.
bool WriteToHandle(Session& session, sys::Handle handle, std::u16string_view text);
bool WriteToStream(OutputStream& stream, std::u16string_view text);

// True when the session's standard output is a console (not a file, a pipe or a capture).
bool OutputIsConsole(const Session& session);
bool WriteOut(Session& session, std::u16string_view text);
bool WriteErr(Session& session, std::u16string_view text);

// A diagnostic of the host itself: "plughost: MESSAGE\r\n" on standard error; inside a batch file
// "plughost: SCRIPT [LINE]  MESSAGE\r\n".
void HostMessage(Session& session, std::u16string_view message);

// ---- Environment -----------------------------------------------------------------------------

std::optional<std::u16string> ReadEnvironment(std::u16string_view name);

// Sets (an empty value removes) a variable, remembering its former value for ResetScriptState.
bool ChangeEnvironment(Session& session, std::u16string_view name, std::u16string_view value);

// The host program's full path (%_cmdspec); empty when the system cannot say.
std::u16string HostProgramPath();

} // namespace host
