// The end of a run whose standard output could not be written.
#pragma once

#include "session/session.h"

namespace host {

// The run's exit status once what waits for standard output is written: `status` when every
// write went out. A failed write is reported on standard error and the status made nonzero (1,
// unless it is already). A pipe closed by its reader ends the run quietly with 141, the status a
// shell gives a program that SIGPIPE ended, which is how a native run ends unless it ignores that
// signal.
int StatusAfterOutput(Session& session, int status);

// What went wrong, in words, for a failure code of sys::StandardOutputError ("the disk is full").
std::u16string OutputFailureText(uint32_t code);

} // namespace host
