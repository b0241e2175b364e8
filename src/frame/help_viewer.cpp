#include "frame/help_viewer.h"

// No viewer is started yet, so there is none to stop.
void StopHelpViewer() {}
