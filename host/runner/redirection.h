// A command's redirections ("> file", ">> file", "2> file", "2>&1", ">nul") for the time it runs.
#pragma once

#include "language/batch_parse.h"
#include "session/session.h"

#include <vector>

namespace host {

// Sends the streams where the redirections say, in order, and puts them back when it goes. The
// process's standard streams themselves change, so that the plug-in sees a file, not a console.
class Redirect {
public:
    Redirect(Session& session, const std::vector<Redirection>& redirections);
    ~Redirect();
    Redirect(const Redirect&) = delete;
    Redirect& operator=(const Redirect&) = delete;

    // False when a redirection failed (reported, %_? set): the command must not run.
    bool Applied() const { return applied_; }

private:
    struct Undo {
        sys::StdStream stream;
        sys::Handle saved;
        sys::Handle file; // opened here, or null
        OutputStream previous;
        std::u16string name; // of the file, for a failure's report
    };

    bool Apply(const Redirection& redirection);
    // True when writes to the file failed, which is then reported.
    bool ReportFailedWrites(const Undo& undo);
    void ReportFailure(const std::u16string& name, uint32_t error);

    Session& session_;
    std::vector<Undo> undo_;
    bool applied_ = true;
};

} // namespace host
