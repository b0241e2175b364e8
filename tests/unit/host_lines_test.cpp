// Command lines and scripts in the host: built-in commands, the plug-in's commands, %_?.
#include "check/suite.h"
#include "entry/host_api.h"
#include "host_test_fixture.h"

#include <cstdio>
#include <random>
#include <unistd.h>

namespace {

using hosttest::HostFixture;
using hosttest::Log;

class HostLines : public HostFixture {
protected:
    // Runs the lines of `input` as standard input; returns what they wrote to standard output.
    std::string RunInput(const std::string& input) {
        const std::string path =
            ::testing::TempDir() + "host_lines_input_" + std::to_string(getpid()) + ".txt";
        std::FILE* file = std::fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr);
        if (file == nullptr) return {};
        std::fwrite(input.data(), 1, input.size(), file);
        std::fclose(file);
        EXPECT_NE(std::freopen(path.c_str(), "rb", stdin), nullptr);
        fake::ClearOutput();
        host::RunStandardInput(session);
        std::remove(path.c_str());
        return fake::StdOut();
    }
};

TEST_F(HostLines, EchoPrintsTheExpandedText) {
    EXPECT_TRUE(sys::SetEnv(u"who", u"you"));
    EXPECT_EQ(Run(u"echo hello %who%"), "hello you\r\n");
    EXPECT_EQ(Run(u"echo"), "ECHO is OFF\r\n");
    EXPECT_EQ(Run(u"echo offset kept"), "offset kept\r\n");
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
    EXPECT_TRUE(sys::SetEnv(u"kept", u"before"));
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
    EXPECT_TRUE(sys::SetEnv(u"x", u"X"));
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

    // Nesting deep enough to exhaust the stack is refused, on one line or over many, and a long
    // unclosed block is parsed in good time.
    EXPECT_EQ(Run(std::u16string(1001, u'(')), "");
    EXPECT_EQ(fake::StdErr(),
              "plughost: blocks and conditions are nested too deeply (more than 1000)\r\n");
    std::string deep;
    for (int i = 0; i < 1001; ++i) deep += "(\n";
    fake::ClearOutput();
    host::RunScriptText(session, deep, u"/w/d.btm", {u"d.btm"});
    EXPECT_EQ(fake::StdErr(), "plughost: /w/d.btm [1001]  blocks and conditions are nested too "
                              "deeply (more than 1000)\r\n");
    std::string open = "(\n";
    for (int i = 0; i < 20000; ++i) open += "echo never\n";
    fake::ClearOutput();
    host::RunScriptText(session, open, u"/w/o.btm", {u"o.btm"});
    EXPECT_EQ(fake::StdErr(), "plughost: /w/o.btm [1]  missing \")\"\r\n");

    EXPECT_TRUE(sys::SetEnv(u"big", std::u16string(8000, u'b').c_str()));
    EXPECT_EQ(Run(u"echo %big%%big%"), "");
    EXPECT_EQ(fake::StdErr(),
              "plughost: expanded line too long (more than 8191 characters): not run\r\n");
    EXPECT_EQ(LastResult(), 1);
}

// Blocks and conditions nest 1,000 deep as a reader counts them, whatever the construct, and
// 1,001 are refused with one message: nothing of the statement runs. In a batch file the refusal
// ends it; on a line of its own and at standard input, the next statement runs.
struct NestingCase {
    const char* open;  // `levels` levels
    const char* inner; // what they hold
    const char* close; // their end
    int levels;
    bool runs; // the inner command runs
};

constexpr NestingCase kNestings[] = {
    {"(", "echo in", ")", 1, true},
    {"if 1 == 1 (\n", "echo in\n", ")\n", 1, true},
    {"if 1 == 2 (\n", "echo in\n", ")\n", 1, false},
    {"if 1 == 2 (echo no) else (\n", "echo in\n", ")\n", 1, true},
    {"if not exist nothing.txt (\n  (\n", "echo in\n", "  )\n) else (echo no)\n", 2, true},
    {"if 1==1 ", "echo in", "", 1, true},
};

std::string Nested(const NestingCase& nesting, int levels) {
    std::string text;
    for (int i = 0; i < levels / nesting.levels; ++i) text += nesting.open;
    text += nesting.inner;
    for (int i = 0; i < levels / nesting.levels; ++i) text += nesting.close;
    if (text.back() != '\n') text += '\n';
    return text;
}

TEST_F(HostLines, NestingIsCountedAsAReaderCounts) {
    const std::string refused = "blocks and conditions are nested too deeply (more than 1000)\r\n";
    for (const NestingCase& nesting : kNestings) {
        SCOPED_TRACE(nesting.open);
        const std::string deepest = Nested(nesting, 1000);
        const std::string deeper = Nested(nesting, 1000 + nesting.levels);
        const std::string in = nesting.runs ? "in\r\n" : "";
        const bool oneLine = deeper.find('\n') == deeper.size() - 1;

        fake::ClearOutput();
        host::RunScriptText(session, deepest + "echo after\n", u"/w/n.btm", {u"n.btm"});
        EXPECT_EQ(fake::StdOut(), in + "after\r\n");
        EXPECT_EQ(fake::StdErr(), "");
        fake::ClearOutput();
        host::RunScriptText(session, deeper + "echo after\n", u"/w/n.btm", {u"n.btm"});
        EXPECT_EQ(fake::StdOut(), "");
        EXPECT_EQ(fake::StdErr(),
                  std::string("plughost: /w/n.btm [") + (oneLine ? "1" : "1001") + "]  " + refused);
        EXPECT_EQ(LastResult(), 1);

        if (oneLine) {
            EXPECT_EQ(Run(text::FromUtf8(deepest.substr(0, deepest.size() - 1))), in);
            EXPECT_EQ(Run(text::FromUtf8(deeper.substr(0, deeper.size() - 1))), "");
            EXPECT_EQ(fake::StdErr(), "plughost: " + refused);
        }
        EXPECT_EQ(RunInput(deeper + "echo after\n" + deepest), "after\r\n" + in);
        EXPECT_EQ(fake::StdErr(), "plughost: " + refused);
    }
}

struct RefusalCase {
    std::string statement;
    int line; // where the fault is
    const char* message;
};

TEST_F(HostLines, ARefusedStatementRunsNothingOfIt) {
    const RefusalCase cases[] = {
        {"if 1 == 2 (\n  echo a | more\n  echo RAN\n)\n", 2, "pipes (\"|\") are not supported"},
        {"if 1 == 1 (\n  echo a < b\n  echo RAN\n)\n", 2,
         "input redirection (\"<\") is not supported"},
        {"(echo RAN & (\n  echo \"(\" %@fecho[(] ^( (text\n  rem (\n  if a = b (\n    echo RAN\n"
         "  ) else (echo RAN)\n))\n",
         4, "if needs a condition: A == B, A EQ|NE|LT|LE|GT|GE B, exist FILE or defined NAME"},
        {"if 1 == 2 (\n  echo RAN\n) echo RAN\n", 3, "unexpected text after \")\""},
        {"(\n  if 1 == 1 (\n    echo RAN\n  )\n  else (\n    echo RAN\n  )\n)\n", 5,
         "else must follow the \")\" of an if's block on its line"},
        {"if 1 == 2 (echo " + std::string(8200, 'x') + "\n  echo RAN\n)\n", 1,
         "line too long (more than 8191 characters): not run"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.statement.substr(0, 40));
        fake::ClearOutput();
        host::RunScriptText(session, c.statement + "echo after\n", u"/w/r.btm", {u"r.btm"});
        EXPECT_EQ(fake::StdOut(), "");
        EXPECT_EQ(fake::StdErr(),
                  "plughost: /w/r.btm [" + std::to_string(c.line) + "]  " + c.message + "\r\n");
        EXPECT_EQ(LastResult(), 1);
        EXPECT_EQ(RunInput(c.statement + "echo after\n"), "after\r\n");
        EXPECT_EQ(fake::StdErr(), std::string("plughost: ") + c.message + "\r\n");
    }
}

// Standard input reads a statement until its blocks close, as skimmed line by line: the skim
// must agree with the parser on every statement that parses.
TEST_F(HostLines, BlocksAreSkimmedAsTheyAreParsed) {
    const char16_t* pieces[] = {
        u"(", u")",  u"if 1==1 ", u"if not a == b ", u"else ", u"echo ", u"\"", u"^",
        u"&", u"||", u"\n",       u"rem ",           u":",     u"%@f[",  u"]",  u">f ",
        u"<", u"@",  u") else (", u"2>&1 ",          u"%[",    u"%%",    u"x"};
    std::mt19937 random(7);
    for (int round = 0; round < 100000; ++round) {
        std::u16string text;
        for (int i = random() % 20; i > 0; --i) text += pieces[random() % std::size(pieces)];
        host::CommandList commands;
        const host::ParseStatus status = host::ParseStatement(text, commands).status;
        if (status == host::ParseStatus::Error) continue;
        int open = 0;
        for (size_t start = 0, end = 0; end != std::u16string::npos; start = end + 1) {
            end = text.find(u'\n', start);
            open =
                host::OpenBlocksAfter(std::u16string_view(text).substr(start, end - start), open);
        }
        ASSERT_EQ(open > 0, status == host::ParseStatus::Unclosed) << text::ToUtf8(text);
    }
}

struct LineCase {
    const char16_t* line;
    const char* out;
    const char* err;
};

TEST_F(HostLines, ConditionsBlocksAndSeparators) {
    EXPECT_TRUE(sys::SetEnv(u"n", u"7"));
    fake::AddDirectory(u"/fake/cwd/dir");
    const LineCase cases[] = {
        {u"if %n == 7 echo y", "y\r\n", ""},
        {u"if %n==7 echo y", "y\r\n", ""},
        {u"if %n == 007 echo numbers", "numbers\r\n", ""},
        {u"if /i not A == a echo n", "", ""},
        {u"if a eqc A echo n", "", ""},
        {u"if 10 GT 9 echo numbers", "numbers\r\n", ""},
        {u"if 10 GT 9x echo n", "", ""}, // as text "1" < "9"
        // Whole decimal numbers of any length compare as numbers; EQC compares text.
        {u"if 99999999999999999999 == 099999999999999999999 echo numbers", "numbers\r\n", ""},
        {u"if 99999999999999999999 LT 100000000000000000000 echo numbers", "numbers\r\n", ""},
        {u"if -100000000000000000000 LT -99999999999999999999 echo numbers", "numbers\r\n", ""},
        {u"if -9223372036854775809 LT -9223372036854775808 echo numbers", "numbers\r\n", ""},
        {u"if -0 == +000 echo zero", "zero\r\n", ""},
        {u"if 100000000000000000000 GT 99999999999999999999x echo n", "", ""}, // as text
        {u"if 7 EQC 07 echo n", "", ""},
        {u"if Ärger == äRGER echo y", "y\r\n", ""},
        {u"if errorlevel 99999999999999999999 echo n", "", ""},
        {u"if a LT b echo y & echo z", "y\r\nz\r\n", ""},
        {u"if a GE b echo y & echo z", "", ""},
        {u"if \"a b\" == \"a b\" echo quoted", "quoted\r\n", ""},
        {u"if exist dir echo d", "d\r\n", ""},
        {u"if not exist \"nothing here\" echo none", "none\r\n", ""},
        {u"if defined N echo d", "d\r\n", ""},
        {u"if errorlevel 0 echo e", "e\r\n", ""},
        {u"if 1 == 2 (echo a) else (echo b) & echo c", "b\r\nc\r\n", ""},
        {u"if 1 == 2 (echo a) else echo b & echo c", "b\r\nc\r\n", ""},
        {u"(echo a & (echo b)) & echo c", "a\r\nb\r\nc\r\n", ""},
        {u"echo (a) b & echo c", "(a) b\r\nc\r\n", ""},
        {u"echo a)", "a)\r\n", ""},
        {u"echo ^& ^(^) ^^ \"& > <\" %@fecho[a & b > c]", "& () ^ \"& > <\" <a & b > c>\r\n", ""},
        {u"nosuch || echo f && echo s", "f\r\ns\r\n", "plughost: unknown command \"nosuch\"\r\n"},
        {u"echo %@ffail[] & echo never", "", "ffail failed\r\n"},
        // A failing function ends the whole line, as an expansion error does in the real host.
        {u"echo %@ffail[] || echo never", "", "ffail failed\r\n"},
        {u"echo %@ffail[] && echo never", "", "ffail failed\r\n"},
        {u"(echo %@ffail[]) || echo never", "", "ffail failed\r\n"},
        {u"if %@ffail[] == 1 echo never", "", "ffail failed\r\n"},
        {u"(echo a", "", "plughost: missing \")\"\r\n"},
        {u"echo a | more", "", "plughost: pipes (\"|\") are not supported\r\n"},
        {u"echo a < in", "", "plughost: input redirection (\"<\") is not supported\r\n"},
        {u"& echo a", "", "plughost: a command is missing before \"&\"\r\n"},
        {u"(echo a) echo b", "", "plughost: unexpected text after \")\"\r\n"},
        {u"if a = b echo c", "",
         "plughost: if needs a condition: A == B, A EQ|NE|LT|LE|GT|GE B, exist FILE or defined "
         "NAME\r\n"},
        {u"if a == b", "", "plughost: if: the command is missing\r\n"},
        {u"if exist", "", "plughost: if: the condition is incomplete\r\n"},
        {u"if errorlevel x echo", "", "plughost: if errorlevel needs a number, not \"x\"\r\n"},
        {u"goto x", "", "plughost: goto works only in a batch file\r\n"},
        {u"for %i in (a) do echo %i", "", "plughost: unknown command \"for\"\r\n"},
    };
    for (const LineCase& c : cases) {
        EXPECT_EQ(Run(c.line), c.out) << text::ToUtf8(c.line);
        EXPECT_EQ(fake::StdErr(), c.err) << text::ToUtf8(c.line);
    }
}

TEST_F(HostLines, RedirectionSendsOneCommandsOutputToAFile) {
    fake::SetIsConsole(sys::StdStream::Output, true);
    EXPECT_EQ(Run(u"echo one > out.txt"), "");
    EXPECT_EQ(Run(u"echo two>>out.txt & echo shown"), "shown\r\n");
    EXPECT_EQ(fake::TransferFile(u"/fake/cwd/out.txt"), "one\r\ntwo\r\n");
    Log().commandResult = 0;
    Run(u"fcmd /x 2> err.txt > \"o t.txt\" rest");
    EXPECT_EQ(Log().commandText, u"/x rest");
    Run(u"(nosuch & echo both) > all.txt 2>&1");
    EXPECT_EQ(fake::TransferFile(u"/fake/cwd/all.txt"),
              "plughost: unknown command \"nosuch\"\r\nboth\r\n");
    EXPECT_EQ(fake::StdErr(), "");
    EXPECT_EQ(Run(u"echo gone >nul"), "");
    // Every stream is back where it was, and is a console again.
    EXPECT_EQ(fake::OpenTransferFiles(), 0);
    EXPECT_TRUE(sys::IsConsole(sys::StdHandle(sys::StdStream::Output)));
    EXPECT_EQ(Run(u"echo back"), "back\r\n");

    // What a failing expansion writes goes where the command's "2>" says: the command fails
    // with its redirections applied.
    EXPECT_EQ(Run(u"echo %@ffail[] 2> fail.txt"), "");
    EXPECT_EQ(fake::StdErr(), "");
    EXPECT_EQ(LastResult(), -1);
    EXPECT_EQ(fake::TransferFile(u"/fake/cwd/fail.txt"), "ffail failed\r\n");
    EXPECT_EQ(Run(u"echo %@ffail[] > out.txt"), "");
    EXPECT_EQ(fake::StdErr(), "ffail failed\r\n");
    EXPECT_EQ(fake::TransferFile(u"/fake/cwd/out.txt"), "");
    EXPECT_TRUE(sys::SetEnv(u"big", std::u16string(8000, u'b').c_str()));
    EXPECT_EQ(Run(u"echo %big%%big% 2>long.txt"), "");
    EXPECT_EQ(fake::TransferFile(u"/fake/cwd/long.txt"),
              "plughost: expanded line too long (more than 8191 characters): not run\r\n");
    EXPECT_EQ(Run(u"(echo %@ffail[] 2> inner.txt & echo never) 2> outer.txt"), "");
    EXPECT_EQ(fake::TransferFile(u"/fake/cwd/inner.txt"), "ffail failed\r\n");
    EXPECT_EQ(fake::TransferFile(u"/fake/cwd/outer.txt"), "");
    EXPECT_EQ(fake::OpenTransferFiles(), 0);

    fake::PlanFault(fake::Call::FileOpen, 1, 5);
    EXPECT_EQ(Run(u"echo lost > f.txt"), "");
    EXPECT_EQ(fake::StdErr(), "plughost: cannot open \"f.txt\" for output\r\n");
    EXPECT_EQ(LastResult(), 1);
    // A file that fails as it is closed (a delayed write on a network) fails the command; so
    // does one whose writes failed, once.
    fake::PlanFault(fake::Call::FileClose, 1, 59);
    EXPECT_EQ(Run(u"echo late > f.txt"), "");
    EXPECT_EQ(fake::StdErr(), "plughost: cannot write to \"f.txt\": error 59\r\n");
    EXPECT_EQ(LastResult(), 1);
    fake::PlanFault(fake::Call::StreamWrite);
    fake::PlanFault(fake::Call::FileClose);
    EXPECT_EQ(Run(u"echo full > f.txt"), "");
    EXPECT_EQ(fake::StdErr(), "plughost: cannot write to \"f.txt\": the disk is full\r\n");
    EXPECT_EQ(fake::OpenTransferFiles(), 0);
    Run(u"echo x >");
    EXPECT_EQ(fake::StdErr(), "plughost: a file name is missing after \">\"\r\n");
}

TEST_F(HostLines, GotoLabelsQuitAndEchoOnInAScript) {
    const char* script = "@echo on\n"
                         "set i=0\n"
                         ":Top\n"
                         "@if %i GE 2 goto :end\n"
                         "@set i=%@eval[%i + 1]\n"
                         "@goto top\n"
                         ":end\n"
                         "echo i=%i\n"
                         "@quit 5\n"
                         "echo never\n";
    fake::ClearOutput();
    host::RunScriptText(session, script, u"/w/s.btm", {u"s.btm"});
    EXPECT_EQ(fake::StdOut(), "set i=0\r\necho i=2\r\ni=2\r\n");
    EXPECT_EQ(LastResult(), 5);
    EXPECT_FALSE(session.script.exitRequested);
    EXPECT_FALSE(session.script.quitRequested);

    fake::ClearOutput();
    host::RunScriptText(session, "echo a\n(\n  goto nowhere\n)\necho never\n", u"/w/t.btm",
                        {u"t.btm"});
    EXPECT_EQ(fake::StdOut(), "a\r\n");
    EXPECT_EQ(fake::StdErr(), "plughost: /w/t.btm [3]  label \"nowhere\" not found\r\n");
    EXPECT_EQ(LastResult(), 1);

    fake::ClearOutput();
    // Even a label named eof leaves "goto :eof" the end of the file; "goto eof" goes there.
    host::RunScriptText(session, "echo a\ngoto :eof\n:eof\necho never\n", u"/w/u.btm", {u"u.btm"});
    EXPECT_EQ(fake::StdOut(), "a\r\n");
    fake::ClearOutput();
    host::RunScriptText(session, "goto eof\necho skipped\n:eof\necho b\n", u"/w/u.btm", {u"u.btm"});
    EXPECT_EQ(fake::StdOut(), "b\r\n");
    host::RunScriptText(session, "(echo a\necho b\n", u"/w/v.btm", {u"v.btm"});
    EXPECT_EQ(fake::StdErr(), "plughost: /w/v.btm [1]  missing \")\"\r\n");
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

// ---- plughost's own command line ---------------------------------------------------------------

struct CommandLineCase {
    std::vector<const char16_t*> args; // after the program's name
    int status;
    const char* err; // before the usage, which follows on standard error when status is 2
};

TEST(HostCommandLine, HelpPrintsTheUsageAndAWrongLineShowsItOnStandardError) {
    const char16_t* help[] = {u"plughost", u"--help"};
    fake::Reset();
    ASSERT_EQ(HostMain(2, help), 0);
    const std::string usage = fake::StdOut();
    for (const char* option :
         {"[-c LINE]... [SCRIPT [ARG...]]", "--check DIR|SCRIPT...", "  --  ", "-h, --help"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    const CommandLineCase cases[] = {
        {{u"-h"}, 0, ""},
        {{u"-c", u"echo never", u"--help", u"script.btm"}, 0, ""},
        {{u"--bogus"}, 2, "plughost: unknown option \"--bogus\"\r\n"},
        {{u"-c"}, 2, "plughost: -c needs a LINE\r\n"},
        {{u"--check"}, 2, "plughost: --check needs a DIR or SCRIPT\r\n"},
    };
    for (const CommandLineCase& c : cases) {
        fake::Reset();
        std::vector<const char16_t*> argv = {u"plughost"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(HostMain(int(argv.size()), argv.data()), c.status) << text::ToUtf8(argv[1]);
        EXPECT_EQ(fake::StdOut(), c.status == 0 ? usage : "") << text::ToUtf8(argv[1]);
        EXPECT_EQ(fake::StdErr(), c.status == 2 ? c.err + usage : c.err) << text::ToUtf8(argv[1]);
    }
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
