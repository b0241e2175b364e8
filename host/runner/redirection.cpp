// A command's redirections for the time it runs.
#include "runner/redirection.h"

#include "language/words.h"
#include "runner/expand.h"
#include "session/output_failure.h"
#include "text/u16.h"

namespace host {

namespace {

sys::StdStream StreamOf(int number) {
    return number == 2 ? sys::StdStream::Error : sys::StdStream::Output;
}

OutputStream& SessionStream(Session& session, int number) {
    return number == 2 ? session.err : session.out;
}

} // namespace

Redirect::Redirect(Session& session, const std::vector<Redirection>& redirections)
    : session_(session) {
    for (const Redirection& redirection : redirections) {
        if (!Apply(redirection)) {
            applied_ = false;
            return;
        }
    }
}

Redirect::~Redirect() {
    for (auto undo = undo_.rbegin(); undo != undo_.rend(); ++undo) {
        bool reported = false;
        if (undo->stream == sys::StdStream::Output && undo->file != nullptr)
            reported = ReportFailedWrites(*undo);
        sys::RestoreStdStream(undo->stream, undo->saved);
        SessionStream(session_, undo->stream == sys::StdStream::Error ? 2 : 1) = undo->previous;
        // A file that fails to close has lost what the system held back of it.
        if (undo->file != nullptr && !sys::CloseFile(undo->file) && !reported)
            ReportFailure(undo->name, sys::LastErrorCode());
        // Standard output is collected again, or not, as where it goes now asks.
        if (undo->stream == sys::StdStream::Output) sys::BufferStandardOutput(true);
    }
}

// A file that could not take the command's output (a full disk) fails the command, as the same
// failure of the host's own output fails the host.
bool Redirect::ReportFailedWrites(const Undo& undo) {
    sys::FlushStandardOutput();
    const uint32_t error = sys::StandardOutputError();
    if (error == 0) return false;
    ReportFailure(undo.name, error);
    return true;
}

void Redirect::ReportFailure(const std::u16string& name, uint32_t error) {
    HostMessage(session_, u"cannot write to \"" + name + u"\": " + OutputFailureText(error));
    session_.script.lastResult = 1;
}

bool Redirect::Apply(const Redirection& redirection) {
    const sys::StdStream stream = StreamOf(redirection.stream);
    sys::Handle target = nullptr;
    sys::Handle file = nullptr;
    std::u16string name;
    if (redirection.duplicateOf != 0) {
        target = sys::StdHandle(StreamOf(redirection.duplicateOf));
    } else {
        ExpandResult expansion = ExpandText(session_, redirection.target, name);
        if (expansion.fault != ExpandFault::None) {
            if (expansion.fault == ExpandFault::TooLong)
                HostMessage(session_, u"the file name of a redirection is too long");
            session_.script.lastResult = expansion.code;
            return false;
        }
        name = WithoutQuotes(name);
        std::u16string path = text::EqualNoCase(name, u"nul") ? sys::NullDeviceName() : name;
        file = redirection.append ? sys::OpenFileForAppending(path.c_str())
                                  : sys::CreateFileForWriting(path.c_str());
        target = file;
    }
    Undo undo{stream, nullptr, file, SessionStream(session_, redirection.stream), name};
    if (target == nullptr || !sys::RedirectStdStream(stream, target, &undo.saved)) {
        if (file != nullptr) (void)sys::CloseFile(file); // nothing was written to it
        HostMessage(session_, redirection.duplicateOf != 0
                                  ? u"cannot redirect a stream to another"
                                  : u"cannot open \"" + name + u"\" for output");
        session_.script.lastResult = 1;
        return false;
    }
    // The stream now writes where the other one writes at this moment: a collecting session's
    // text goes with the other's, anything else through the stream's own handle, which stays
    // put when the other stream is sent elsewhere later ("2>&1 > file").
    OutputStream& current = SessionStream(session_, redirection.stream);
    const OutputStream& other = SessionStream(session_, redirection.duplicateOf);
    if (redirection.duplicateOf != 0 && other.capture != nullptr)
        current = other;
    else
        current = OutputStream{sys::StdHandle(stream), nullptr};
    undo_.push_back(undo);
    // A file takes standard output in large pieces, as plughost's own output does.
    if (stream == sys::StdStream::Output) sys::BufferStandardOutput(true);
    return true;
}

} // namespace host
