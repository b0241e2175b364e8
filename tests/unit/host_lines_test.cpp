// Command lines and scripts in the host: built-in commands, the plug-in's commands, %_?.
#include "engine/suite.h"
#include "host_test_fixture.h"

namespace {

using hosttest::HostFixture;
using hosttest::Log;

using HostLines = HostFixture;

TEST_F(HostLines, EchoPrintsTheExpandedText) {
    sys::SetEnv(u"who", u"you");
    EXPECT_EQ(Run(u"echo hello %who%"), "hello you\r\n");
    EXPECT_EQ(Run(u"echo"), "\r\n");
    EXPECT_EQ(Run(u"ECHO   two blanks kept"), "  two blanks kept\r\n");
    EXPECT_EQ(Run(u"  @echo at"), "at\r\n");
    EXPECT_EQ(Run(u"echo 50%% and ünïcode"), "50% and ünïcode\r\n");
    EXPECT_EQ(LastResult(), 0);
}

TEST_F(HostLines, CommentsAndBlankLinesDoNothing) {
    session.script.lastResult = 9;
    EXPECT_EQ(Run(u"rem %@xyz[] echo"), "");
    EXPECT_EQ(Run(u":: %@xyz[]"), "");
    EXPECT_EQ(Run(u"@REM"), "");
    EXPECT_EQ(Run(u"   "), "");
    EXPECT_EQ(Run(u""), "");
    EXPECT_EQ(Run(u"%nothing%"), "");
    EXPECT_EQ(fake::StdErr(), "");
    EXPECT_EQ(LastResult(), 9);
    EXPECT_EQ(Run(u"remark"), "");
    EXPECT_EQ(fake::StdErr(), "plughost: unknown command \"remark\"\r\n");
}

TEST_F(HostLines, SetAndUnsetChangeTheEnvironment) {
    Run(u"set Greeting=hi there ");
    EXPECT_EQ(Run(u"echo [%greeting%]"), "[hi there ]\r\n");
    EXPECT_EQ(Run(u"set greeting"), "greeting=hi there \r\n");
    Run(u"set greeting=");
    EXPECT_EQ(Run(u"echo [%greeting%]"), "[]\r\n");
    Run(u"set a=1");
    Run(u"set b=2");
    Run(u"unset a b");
    EXPECT_EQ(Run(u"echo [%a%%b%]"), "[]\r\n");
    EXPECT_EQ(LastResult(), 0);

    Run(u"set greeting");
    EXPECT_EQ(fake::StdErr(), "plughost: variable \"greeting\" is not set\r\n");
    EXPECT_EQ(LastResult(), 1);
    Run(u"set =x");
    EXPECT_EQ(fake::StdErr(), "plughost: set needs NAME=VALUE\r\n");
}

TEST_F(HostLines, ResetRestoresTheEnvironmentAScriptChanged) {
    sys::SetEnv(u"kept", u"before");
    Run(u"set kept=after");
    Run(u"set kept=again");
    Run(u"set fresh=new");
    host::ResetScriptState(session);
    EXPECT_EQ(host::ReadEnvironment(u"kept"), u"before");
    EXPECT_EQ(host::ReadEnvironment(u"fresh"), std::nullopt);
}

TEST_F(HostLines, UnknownCommandSetsResultOne) {
    EXPECT_EQ(Run(u"frobnicate a b"), "");
    EXPECT_EQ(fake::StdErr(), "plughost: unknown command \"frobnicate\"\r\n");
    EXPECT_EQ(LastResult(), 1);
    EXPECT_EQ(Run(u"echo %_?"), "1\r\n");
    EXPECT_EQ(Run(u"echo %_?"), "0\r\n");
}

TEST_F(HostLines, AnnouncedCommandWithoutExportIsReported) {
    Run(u"fnoexport");
    EXPECT_EQ(fake::StdErr(),
              "plughost: the plug-in announces \"fnoexport\" but has no export \"fnoexport\"\r\n");
    EXPECT_EQ(LastResult(), 1);
}

TEST_F(HostLines, PluginCommandGetsTheRestAndGivesTheResult) {
    Log().commandResult = -7;
    sys::SetEnv(u"x", u"X");
    Run(u"FCMD   /a %x% trailing ");
    EXPECT_EQ(Log().commandText, u"/a X trailing ");
    EXPECT_EQ(LastResult(), -7);
    Log().commandResult = 3;
    Run(u"fcmd");
    EXPECT_EQ(Log().commandText, u"");
    EXPECT_EQ(Run(u"echo %_?"), "3\r\n");
}

TEST_F(HostLines, FailedExpansionDoesNotRunTheLine) {
    EXPECT_EQ(Run(u"echo %@ffail[x]"), "");
    EXPECT_EQ(fake::StdErr(), "ffail failed\r\n");
    EXPECT_EQ(LastResult(), -1);
    EXPECT_EQ(Run(u"echo %@xyz[x]"), "");
    EXPECT_EQ(LastResult(), 1);
    Run(u"fcmd %_fvarfail");
    EXPECT_EQ(Log().commandText, u"");
    EXPECT_EQ(LastResult(), 5);
}

TEST_F(HostLines, LongLinesAreRefused) {
    std::u16string longest = u"echo " + std::u16string(host::kMaxTextUnits - 5, u'x');
    EXPECT_EQ(Run(longest), text::ToUtf8(longest.substr(5)) + "\r\n");
    EXPECT_EQ(Run(longest + u"x"), "");
    EXPECT_EQ(fake::StdErr(), "plughost: line too long (more than 8191 characters): not run\r\n");
    EXPECT_EQ(LastResult(), 1);

    sys::SetEnv(u"big", std::u16string(8000, u'b').c_str());
    EXPECT_EQ(Run(u"echo %big%%big%"), "");
    EXPECT_EQ(fake::StdErr(),
              "plughost: expanded line too long (more than 8191 characters): not run\r\n");
    EXPECT_EQ(LastResult(), 1);
}

struct ExitCase {
    const char16_t* line;
    bool exits;
    int status;
};

TEST_F(HostLines, ExitTakesASignedStatus) {
    const ExitCase cases[] = {
        {u"exit 3", true, 3},
        {u"exit -1", true, -1},
        {u"EXIT  +12 ", true, 12},
        {u"exit 2147483647", true, 2147483647},
        {u"exit -2147483648", true, -2147483647 - 1},
        {u"exit 2147483648", false, 1},
        {u"exit 3x", false, 1},
        {u"exit -", false, 1},
    };
    for (const ExitCase& c : cases) {
        session.script = host::ScriptState{};
        Run(c.line);
        EXPECT_EQ(session.script.exitRequested, c.exits) << text::ToUtf8(c.line);
        if (c.exits) {
            EXPECT_EQ(session.script.exitStatus, c.status) << text::ToUtf8(c.line);
        } else {
            EXPECT_EQ(LastResult(), c.status) << text::ToUtf8(c.line);
        }
    }
}

TEST_F(HostLines, ExitAloneKeepsTheLastResult) {
    Run(u"nosuchcommand");
    Run(u"exit");
    EXPECT_TRUE(session.script.exitRequested);
    EXPECT_EQ(session.script.exitStatus, 1);
}

TEST_F(HostLines, PluginUnloadAndReload) {
    Run(u"plugin /u");
    EXPECT_EQ(LastResult(), 0);
    EXPECT_EQ(Log().shutdowns, std::vector<int>{0});
    EXPECT_FALSE(session.plugin.loaded);
    Run(u"fcmd");
    EXPECT_EQ(fake::StdErr(), "plughost: unknown command \"fcmd\"\r\n");
    Run(u"echo %@fecho[x]");
    EXPECT_EQ(fake::StdErr(), "plughost: unknown function \"@fecho\"\r\n");
    Run(u"plugin /U");
    EXPECT_EQ(fake::StdErr(), "plughost: no plug-in is loaded\r\n");
    EXPECT_EQ(LastResult(), 1);

    // The fake backend loads no libraries.
    session.pluginPath = u"/fake/bin/Korvanite.so";
    Run(u"plugin /l");
    EXPECT_EQ(fake::StdErr(), "plughost: cannot load the plug-in \"/fake/bin/Korvanite.so\"\r\n");
    Run(u"plugin /l \"/other/p.so\"");
    EXPECT_EQ(fake::StdErr(), "plughost: cannot load the plug-in \"/other/p.so\"\r\n");
    EXPECT_EQ(LastResult(), 1);
    EXPECT_EQ(fake::LibraryLoadAttempts(), 2);

    ASSERT_EQ(host::AttachPlugin(session, host::BindExportTable(hosttest::StandInExports())),
              host::LoadOutcome::Loaded);
    Run(u"plugin /l");
    EXPECT_EQ(fake::StdErr(), "plughost: the plug-in is already loaded\r\n");
    Run(u"plugin");
    EXPECT_EQ(fake::StdErr(), "plughost: plugin needs /u, /l [PATH] or /exports\r\n");
}

TEST_F(HostLines, RefusedPluginIsNotAttached) {
    host::UnloadPlugin(session, 0);
    Log().initializeResult = 1;
    EXPECT_EQ(host::AttachPlugin(session, host::BindExportTable(hosttest::StandInExports())),
              host::LoadOutcome::Refused);
    EXPECT_FALSE(session.plugin.loaded);
    EXPECT_EQ(Log().shutdowns, std::vector<int>{0}); // only the unload above
}

TEST_F(HostLines, BindingWithoutProtocolExportsIsNoPlugin) {
    host::UnloadPlugin(session, 0);
    static const host::NamedExport entries[] = {{"InitializePlugin", nullptr}};
    static const host::ExportTable table{entries, 1};
    EXPECT_EQ(host::AttachPlugin(session, host::BindExportTable(table)),
              host::LoadOutcome::NotAPlugin);
}

TEST_F(HostLines, UsageAndHelp) {
    EXPECT_EQ(Run(u"usage FCMD"), "FCMD [text]\r\n");
    EXPECT_EQ(LastResult(), 0);
    EXPECT_EQ(Run(u"usage bblist"), "");
    EXPECT_EQ(fake::StdErr(), "plughost: no usage text for \"bblist\"\r\n");
    EXPECT_EQ(LastResult(), 1);
    EXPECT_EQ(Run(u"help @fecho"), "");
    EXPECT_EQ(Log().helpName, u"@fecho");
    EXPECT_EQ(LastResult(), 1);
    host::UnloadPlugin(session, 0);
    EXPECT_EQ(Run(u"help @fecho"), "");
    EXPECT_EQ(LastResult(), 0);
}

// ---- Scripts ---------------------------------------------------------------------------------

TEST_F(HostLines, ScriptLinesSplitAtLfAndCrLf) {
    auto lines = host::SplitScriptLines("\xEF\xBB\xBF"
                                        "one\r\ntwo\n\nthree\r\n");
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"one", u"two", u"", u"three"}));
    lines = host::SplitScriptLines("last\rline");
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"last\rline"}));
    EXPECT_TRUE(host::SplitScriptLines("").empty());
}

TEST_F(HostLines, ScriptRunsWithBatchVariables) {
    const char* script = "\xEF\xBB\xBF@echo %_batch %_batchline %_batchname %0 %1\r\n"
                         "\n"
                         "echo line %_batchline: %*\n"
                         "exit 4\n"
                         "echo never\n";
    fake::ClearOutput();
    host::RunScriptText(session, script, u"/w/s.btm", {u"s.btm", u"a", u"b c"});
    EXPECT_EQ(fake::StdOut(), "1 1 /w/s.btm s.btm a\r\nline 3: a b c\r\n");
    EXPECT_TRUE(session.script.exitRequested);
    EXPECT_EQ(session.script.exitStatus, 4);
    EXPECT_FALSE(session.script.inBatch);
    EXPECT_EQ(Run(u"echo %_batch %_batchline"), "0 -1\r\n");
}

TEST_F(HostLines, ScriptFileIsReadByItsFullPath) {
    fake::AddFile(u"/fake/cwd/t.btm", "echo %_batchname %0\n");
    fake::ClearOutput();
    EXPECT_TRUE(host::RunScriptFile(session, {u"t.btm"}));
    EXPECT_EQ(fake::StdOut(), "/fake/cwd/t.btm t.btm\r\n");
    EXPECT_FALSE(host::RunScriptFile(session, {u"/nowhere/missing.btm"}));
    EXPECT_EQ(fake::StdErr(), "plughost: cannot read the script \"/nowhere/missing.btm\"\r\n");
    EXPECT_EQ(LastResult(), 1);
}

// ---- One process for many scripts -------------------------------------------------------------

TEST_F(HostLines, CapturedSessionCollectsEveryOutput) {
    std::u16string out;
    std::u16string err;
    session.out.capture = &out;
    session.err.capture = &err;
    Run(u"echo one");
    Run(u"nosuch");
    Printf(AsHost(u"%d\r\n"), 2);
    Qprintf(sys::StdHandle(sys::StdStream::Error), AsHost(u"three\r\n"));
    Qprintf(sys::StdHandle(sys::StdStream::Output), AsHost(u"four\r\n"));
    QPuts(AsHost(u"five"));
    fake::SetIsConsole(sys::StdStream::Output, true);
    SetColors(0x1F); // a capture is no console: no colour codes
    EXPECT_EQ(out, u"one\r\n2\r\nfour\r\nfive");
    EXPECT_EQ(err, u"plughost: unknown command \"nosuch\"\r\nthree\r\n");
    EXPECT_EQ(fake::StdOut(), "");
    EXPECT_EQ(fake::StdErr(), "");
}

TEST(HostSuite, LeadingEnvironmentLinesSetVariables) {
    std::vector<std::u16string> lines = {
        u"rem env ONE=1",    u"@REM env Two=a=b", u"Rem\tenv   THREE=",
        u"rem env =skipped", u"rem env FOUR=4",
    };
    using Variables = std::vector<std::pair<std::u16string, std::u16string>>;
    EXPECT_EQ(host::LeadingEnvironmentLines(lines),
              (Variables{{u"ONE", u"1"}, {u"Two", u"a=b"}, {u"THREE", u""}}));
    EXPECT_EQ(host::LeadingEnvironmentLines({u"echo x", u"rem env A=1"}), Variables{});
    EXPECT_EQ(host::LeadingEnvironmentLines({u"rem environment A=1"}), Variables{});
}

} // namespace
