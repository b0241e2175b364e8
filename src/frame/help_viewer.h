// The help viewer started for the Help export.
#pragma once

// Ends the viewer last started, if any, and forgets it.
void StopHelpViewer();
