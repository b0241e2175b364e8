// A stand-in plug-in bound to the host engine in-process, and a fixture that runs host lines over
// the fake system backend. The stand-in announces features of every kind, one without an export,
// and exports that fail, re-enter the host or overrun its buffer.
#pragma once

#include "fake/fake_sys.h"
#include "frame/exports.h"
#include "plugin/plugin_loader.h"
#include "runner/expand.h"
#include "runner/line_runner.h"
#include "runner/script_runner.h"
#include "session/session.h"
#include "text/u16.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hosttest {

struct PluginLog {
    int initializeResult = 0;
    int initializeCalls = 0;
    std::vector<int> shutdowns; // the argument of every ShutdownPlugin
    std::u16string commandText; // what `fcmd` received
    int commandResult = 0;      // what `fcmd` returns
    std::u16string helpName;    // what Help received
};

inline PluginLog& Log() {
    static PluginLog log;
    return log;
}

inline constexpr char16_t kFeatures[] =
    u"fcmd,fnoexport,@fecho,@ffail,@fexpand,@foverrun,@fmissing,_fvar,_fvarfail";

inline int Initialize() {
    ++Log().initializeCalls;
    return Log().initializeResult;
}
inline int Shutdown(int removeRecords) {
    Log().shutdowns.push_back(removeRecords);
    return 0;
}
inline PluginInfoRecord* GetInfo() {
    static PluginInfoRecord record{};
    record.name = AsHost(u"Stand-in");
    record.features = AsHost(kFeatures);
    return &record;
}
inline int Usage(const HostChar* name, HostChar* out) {
    if (!text::EqualNoCase(FromHost(name), u"fcmd")) return 0;
    text::CopyBounded(FromHost(out), 1024, u"FCMD [text]\r\n");
    return 1;
}
inline int Help(const HostChar* name) {
    Log().helpName = FromHost(name);
    return 1;
}
inline int Command(HostChar* text) {
    Log().commandText = FromHost(text);
    return Log().commandResult;
}
// @fecho: the argument in angle brackets.
inline int Echo(HostChar* text) {
    std::u16string result = u"<" + std::u16string(FromHost(text)) + u">";
    text::CopyBounded(FromHost(text), kHostExpandCapacity, result.c_str());
    return 0;
}
// @ffail: reports on standard error, as the plug-in does, and fails.
inline int FailingFunction(HostChar* /*text*/) {
    Qprintf(sys::StdHandle(sys::StdStream::Error), AsHost(u"ffail failed\r\n"));
    return -1;
}
// @fexpand: expands its argument through the host service again.
inline int ExpandAgain(HostChar* text) {
    return ExpandVariables(text, 1);
}
// @foverrun: fills the whole buffer without a terminator.
inline int Overrun(HostChar* text) {
    for (int i = 0; i < kHostExpandCapacity; ++i) text[i] = u'x';
    return 0;
}
inline int Variable(HostChar* text) {
    text::CopyBounded(FromHost(text), kHostExpandCapacity, u"42");
    return 0;
}
inline int FailingVariable(HostChar* /*text*/) {
    return 5;
}

template <typename Function>
void* Address(Function* function) {
    return reinterpret_cast<void*>(function);
}

inline const host::ExportTable& StandInExports() {
    static const host::NamedExport entries[] = {
        {"InitializePlugin", Address(Initialize)},
        {"ShutdownPlugin", Address(Shutdown)},
        {"GetPluginInfo", Address(GetInfo)},
        {"Usage", Address(Usage)},
        {"Help", Address(Help)},
        {"fcmd", Address(Command)},
        {"f_fecho", Address(Echo)},
        {"f_ffail", Address(FailingFunction)},
        {"f_fexpand", Address(ExpandAgain)},
        {"f_foverrun", Address(Overrun)},
        {"_fvar", Address(Variable)},
        {"_fvarfail", Address(FailingVariable)},
    };
    static const host::ExportTable table{entries, sizeof entries / sizeof entries[0]};
    return table;
}

// A session over the fake backend with the stand-in plug-in attached.
class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        Log() = PluginLog{};
        host::InitSession(session);
        ASSERT_EQ(host::AttachPlugin(session, host::BindExportTable(StandInExports())),
                  host::LoadOutcome::Loaded);
    }

    // Runs one line; returns what it wrote to standard output.
    std::string Run(std::u16string_view line) {
        fake::ClearOutput();
        host::RunLine(session, line);
        return fake::StdOut();
    }

    int LastResult() const { return session.script.lastResult; }

    host::Session session;
    host::ActivateSession active{session};
};

} // namespace hosttest
