// The help viewer: finding the help file, starting the HTML help viewer at a topic, and ending
// the viewer again.
#pragma once

#include "sys/sys.h"

// The viewer last started, or null. Only one is kept: starting another ends this one.
extern sys::Handle HelpViewerProcess;

// Tries every place the help file may lie, in order, and opens the first one found at `topic`;
// when there is none, says so in a message box. Returns 1 either way.
int ShowHelpTopic(const char16_t* topic);

// Opens the help file that the place `candidate` names ("~\" is the library's directory, host
// variables and functions are expanded) at `topic`. Returns 1 when a viewer was started, 0
// when this place does not lead to one.
[[nodiscard]] int OpenHelpTopic(const char16_t* candidate, const char16_t* topic);

// Ends the viewer last started, if any, and forgets it.
void StopHelpViewer();
