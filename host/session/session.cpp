// The host's session state, its output and its environment changes.
#include "session/session.h"

#include "language/words.h"
#include "text/u16.h"

namespace host {

namespace {

Session* Active = nullptr;

Session& DefaultSession() {
    static Session session = [] {
        Session s;
        InitSession(s);
        return s;
    }();
    return session;
}

} // namespace

void InitSession(Session& session) {
    session.out = OutputStream{sys::StdHandle(sys::StdStream::Output), nullptr};
    session.err = OutputStream{sys::StdHandle(sys::StdStream::Error), nullptr};
}

void ResetScriptState(Session& session) {
    // Restore in reverse order, so that a variable changed twice gets its first value back.
    auto& saved = session.script.savedEnvironment;
    // A variable that cannot be put back (no memory) keeps the script's value: there is no one
    // left to tell.
    for (auto it = saved.rbegin(); it != saved.rend(); ++it)
        (void)sys::SetEnv(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
    session.script = ScriptState{};
}

Session& ActiveSession() {
    return Active != nullptr ? *Active : DefaultSession();
}

ActivateSession::ActivateSession(Session& session) : previous_(Active) {
    Active = &session;
}
ActivateSession::~ActivateSession() {
    Active = previous_;
}

bool WriteToStream(OutputStream& stream, std::u16string_view text) {
    if (text.empty()) return true;
    if (stream.capture != nullptr) {
        stream.capture->append(text);
        return true;
    }
    return sys::WriteText(stream.handle, text.data(), text.size());
}

bool WriteToHandle(Session& session, sys::Handle handle, std::u16string_view text) {
    if (handle == sys::StdHandle(sys::StdStream::Output) || handle == session.out.handle)
        return WriteToStream(session.out, text);
    if (handle == sys::StdHandle(sys::StdStream::Error) || handle == session.err.handle)
        return WriteToStream(session.err, text);
    if (text.empty()) return true;
    return sys::WriteText(handle, text.data(), text.size());
}

bool WriteOut(Session& session, std::u16string_view text) {
    return WriteToStream(session.out, text);
}

bool WriteErr(Session& session, std::u16string_view text) {
    return WriteToStream(session.err, text);
}

bool OutputIsConsole(const Session& session) {
    return session.out.capture == nullptr && sys::IsConsole(session.out.handle);
}

void HostMessage(Session& session, std::u16string_view message) {
    std::u16string line = u"plughost: ";
    if (session.script.inBatch) {
        line += session.script.batchName;
        line += u" [" + DecimalText(session.script.batchLine) + u"]  ";
    }
    line += message;
    line += u"\r\n";
    WriteErr(session, line);
}

std::optional<std::u16string> ReadEnvironment(std::u16string_view name) {
    std::u16string key(name);
    std::u16string value(256, u'\0');
    for (;;) {
        uint32_t result = sys::GetEnv(key.c_str(), value.data(), uint32_t(value.size()));
        if (result == 0) return std::nullopt;
        if (result < value.size()) {
            value.resize(result);
            return value;
        }
        value.assign(result, u'\0'); // the size needed, terminator included
    }
}

bool ChangeEnvironment(Session& session, std::u16string_view name, std::u16string_view value) {
    // Names are the same in any case (EqualNoCase's folding).
    std::u16string folded(name);
    for (char16_t& unit : folded) unit = text::AsciiLower(unit);
    if (session.script.savedNames.insert(std::move(folded)).second)
        session.script.savedEnvironment.emplace_back(std::u16string(name), ReadEnvironment(name));
    std::u16string key(name);
    std::u16string data(value);
    return sys::SetEnv(key.c_str(), data.empty() ? nullptr : data.c_str());
}

std::u16string HostProgramPath() {
    std::u16string path(kHostPathCapacity, u'\0');
    uint32_t length = sys::ExecutablePath(path.data(), kHostPathCapacity);
    path.resize(length < uint32_t(kHostPathCapacity) ? length : 0);
    return path;
}

} // namespace host
