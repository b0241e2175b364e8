// The host's expansion rules, alone and through the ExpandVariables service.
#include "host_test_fixture.h"

#include <memory>

namespace {

using hosttest::HostFixture;

class HostExpand : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        EXPECT_TRUE(sys::SetEnv(u"Name", u"World"));
        EXPECT_TRUE(sys::SetEnv(u"inner", u"name"));
        EXPECT_TRUE(sys::SetEnv(u"_batch", u"7")); // loses to the host variable
        session.script.args = {u"s.btm", u"one", u"two"};
        fake::PutTransferFile(u"sized, 12345.bin", std::string(12345, 'x'));
        fake::PutTransferFile(u"/fake/empty", "");
    }

    std::u16string Expanded(std::u16string_view text) {
        std::u16string out;
        host::ExpandResult result = host::ExpandText(session, text, out);
        EXPECT_EQ(result.fault, host::ExpandFault::None) << text::ToUtf8(text);
        return out;
    }
};

struct ExpandCase {
    const char16_t* input;
    const char16_t* expected;
};

TEST_F(HostExpand, FormsExpandAsTheHostDoes) {
    const ExpandCase cases[] = {
        {u"plain", u"plain"},
        {u"%%", u"%"},
        {u"100%%", u"100%"},
        {u"100%", u"100%"},
        {u"a % b", u"a % b"},
        {u"%.x", u"%.x"},
        {u"%name%", u"World"},
        {u"%NAME", u"World"},
        {u"%name.", u"World."},
        {u"%name%%name%", u"WorldWorld"},
        {u"%name%%", u"World%"},
        {u"[%name]", u"[World]"},
        {u"%[name]", u"World"},
        {u"%[%inner%]", u"World"},
        {u"%[ name ]", u"World"},
        {u"%unknown%x", u"x"},
        {u"%unknown", u""},
        {u"%_?", u"0"},
        {u"%_?x", u"0x"},
        {u"%[_?]", u"0"},
        {u"%_batch %_batchline %_batchname.", u"0 -1 ."},
        {u"%[_transient]%[_pipe]", u"00"},
        {u"%_transient%_pipe", u"0_pipe"}, // the second "%" closes the first name
        {u"%_cmdproc", u"TCC"},
        {u"%_cmdspec", u"/fake/bin/plughost"},
        {u"%0 %1 %2 %3.", u"s.btm one two ."},
        {u"%*", u"one two"},
        {u"%10", u"one0"},
        {u"%@comma[1234567]", u"1,234,567"},
        {u"%@COMMA[-1234]", u"-1,234"},
        {u"%@comma[%@comma[1234]]", u"1,234"},
        {u"%@path[c:\\dir\\file.txt]", u"c:\\dir\\"},
        {u"%@path[/a/b/c]", u"/a/b/"},
        {u"%@path[file]", u""},
        {u"%@path[%@path[/a/b/c]x]", u"/a/b/"},
        {u"%@path[%_cmdspec]Korvanite.chm", u"/fake/bin/Korvanite.chm"},
        {u"%@fecho[a[b]c]", u"<a[b]c>"},
        {u"%@FEcho[%name%]", u"<World>"},
        {u"%@fecho[%@fecho[x]]", u"<<x>>"},
        {u"%@fecho[]", u"<>"},
        {u"%@fexpand[%%name%%]", u"World"},
        {u"%_fvar", u"42"},
        {u"%[_FVAR]", u"42"},
        {u"%@fecho", u"%@fecho"},
        {u"%@ x", u"%@ x"},
        {u"%_batchname [%_batchline]  ", u" [-1]  "},
        {u"%@filesize[\"sized, 12345.bin\"] %@comma[%@FileSize[ \"sized, 12345.bin\" ]]",
         u"12345 12,345"},
        {u"%@filesize[/fake/empty] %@filesize[missing.bin] %@filesize[/fake/]", u"0 -1 -1"},
        {u"%@eval[1 + 2 * 3]", u"7"},
        {u"%@eval[(1+2)*3 - -4]", u"13"},
        {u"%@eval[17 %% 5] %@eval[-17 mod 5] %@eval[17 \\ 5] %@eval[18 / 6]", u"2 -2 3 3"},
        {u"%@eval[0x10 + 0XfF]", u"271"},
        {u"%@eval[9223372036854775807] %@eval[-9223372036854775807 - 1]",
         u"9223372036854775807 -9223372036854775808"},
        // Hexadecimal numbers are the same numbers; a minus sign before a number belongs to it.
        {u"%@eval[0x7FFFFFFFFFFFFFFF] %@eval[-0x8000000000000000] %@eval[-9223372036854775808]",
         u"9223372036854775807 -9223372036854775808 -9223372036854775808"},
        {u"%@eval[000000000000000000000012 + 0x00000000000000000000001] "
         u"%@eval[-1 - 9223372036854775807]",
         u"13 -9223372036854775808"},
        {u"%@eval[-9223372036854775808 %% -1] %@eval[-0x8000000000000000 mod -1]", u"0 0"},
        {u"%@eval[-9223372036854775808 / 2] %@eval[-9223372036854775808 \\ -2]",
         u"-4611686018427387904 4611686018427387904"},
    };
    for (const ExpandCase& c : cases)
        EXPECT_EQ(text::ToUtf8(Expanded(c.input)), text::ToUtf8(c.expected))
            << text::ToUtf8(c.input);
    EXPECT_EQ(fake::StdErr(), "");
}

TEST_F(HostExpand, BatchVariablesFollowTheScript) {
    session.script.inBatch = true;
    session.script.batchName = u"/w/t.btm";
    session.script.batchLine = 12;
    session.script.lastResult = -3;
    EXPECT_EQ(Expanded(u"%_batch|%_batchname|%_batchline|%_?"), u"1|/w/t.btm|12|-3");
}

TEST_F(HostExpand, CmdprocFollowsTheEnvironment) {
    EXPECT_TRUE(sys::SetEnv(u"PLUGHOST_CMDPROC", u"TCCLE"));
    EXPECT_EQ(Expanded(u"%_cmdproc"), u"TCCLE");
}

struct FailCase {
    const char16_t* input;
    host::ExpandFault fault;
    int code;
    const char* message;
};

TEST_F(HostExpand, FailuresSayWhy) {
    const FailCase cases[] = {
        {u"%@xyz[1]", host::ExpandFault::UnknownFunction, 1,
         "plughost: unknown function \"@xyz\"\r\n"},
        {u"a%@fecho[%@nope[]]", host::ExpandFault::UnknownFunction, 1,
         "plughost: unknown function \"@nope\"\r\n"},
        {u"%@ffail[1]", host::ExpandFault::FeatureFailed, -1, "ffail failed\r\n"},
        {u"%_fvarfail", host::ExpandFault::FeatureFailed, 5, ""},
        {u"%@fmissing[1]", host::ExpandFault::ExportMissing, 1,
         "plughost: the plug-in announces \"@fmissing\" but has no export \"f_fmissing\"\r\n"},
        {u"%@comma[12", host::ExpandFault::Malformed, 1,
         "plughost: missing \"]\" in \"%@comma[12\"\r\n"},
        {u"%[name", host::ExpandFault::Malformed, 1, "plughost: missing \"]\" in \"%[name\"\r\n"},
        {u"%@foverrun[]", host::ExpandFault::TooLong, 1,
         "plughost: the result of \"@foverrun\" overran the host's buffer\r\n"},
        {u"%@eval[1/0]", host::ExpandFault::HostFunctionFailed, 1,
         "plughost: @eval: division by zero in \"1/0\"\r\n"},
        {u"%@eval[7/2]", host::ExpandFault::HostFunctionFailed, 1,
         "plughost: @eval: 7 / 2 is no whole number (\"\\\" divides without the fraction) in "
         "\"7/2\"\r\n"},
        {u"%@eval[9223372036854775807+1]", host::ExpandFault::HostFunctionFailed, 1,
         "plughost: @eval: the result is too large for 64 bits in \"9223372036854775807+1\"\r\n"},
        {u"%@eval[99999999999999999999]", host::ExpandFault::HostFunctionFailed, 1,
         "plughost: @eval: the number is too large for 64 bits in \"99999999999999999999\"\r\n"},
        {u"%@eval[(1+2]", host::ExpandFault::HostFunctionFailed, 1,
         "plughost: @eval: \")\" is missing in \"(1+2\"\r\n"},
        {u"%@eval[2 3]", host::ExpandFault::HostFunctionFailed, 1,
         "plughost: @eval: unexpected \"3\" in \"2 3\"\r\n"},
        {u"%@eval[%1 + 1]", host::ExpandFault::HostFunctionFailed, 1,
         "plughost: @eval: a number is expected at \"one + 1\" in \"one + 1\"\r\n"},
        {u"%@eval[ ]", host::ExpandFault::HostFunctionFailed, 1,
         "plughost: @eval: there is no expression in \" \"\r\n"},
        {u"%@filesize[ ]", host::ExpandFault::HostFunctionFailed, 1,
         "plughost: @filesize: a file name is expected in \" \"\r\n"},
        {u"%@filesize[a.bin,k]", host::ExpandFault::HostFunctionFailed, 1,
         "plughost: @filesize: plughost gives the size in bytes only (quote a name with a "
         "comma) in \"a.bin,k\"\r\n"},
    };
    for (const FailCase& c : cases) {
        fake::ClearOutput();
        std::u16string out;
        host::ExpandResult result = host::ExpandText(session, c.input, out);
        EXPECT_EQ(result.fault, c.fault) << text::ToUtf8(c.input);
        EXPECT_EQ(result.code, c.code) << text::ToUtf8(c.input);
        EXPECT_EQ(fake::StdErr(), c.message) << text::ToUtf8(c.input);
    }
}

// Overflow is an error whatever the notation and the operator, with one message for a number
// and one for a result outside 64 bits.
TEST_F(HostExpand, EvalOverflowIsAnErrorInEveryNotation) {
    struct Overflow {
        const char16_t* expression;
        bool number; // the number itself is too large, not a result
    };
    const Overflow cases[] = {
        {u"0x8000000000000000", true},          {u"0xFFFFFFFFFFFFFFFF + 1", true},
        {u"-9223372036854775809", true},        {u"5 - 9223372036854775808", true},
        {u"9223372036854775807 + 1", false},    {u"-9223372036854775808 - 1", false},
        {u"0x7FFFFFFFFFFFFFFF * 2", false},     {u"-0x8000000000000000 / -1", false},
        {u"-9223372036854775808 \\ -1", false}, {u"- -9223372036854775808", false},
    };
    for (const Overflow& c : cases) {
        fake::ClearOutput();
        std::u16string out;
        const std::u16string input = u"%@eval[" + std::u16string(c.expression) + u"]";
        EXPECT_EQ(host::ExpandText(session, input, out).fault,
                  host::ExpandFault::HostFunctionFailed)
            << text::ToUtf8(c.expression);
        EXPECT_EQ(fake::StdErr(),
                  std::string("plughost: @eval: the ") + (c.number ? "number" : "result") +
                      " is too large for 64 bits in \"" + text::ToUtf8(c.expression) + "\"\r\n")
            << text::ToUtf8(c.expression);
    }
}

TEST_F(HostExpand, DeepNestingIsRefusedNotRecursedInto) {
    std::u16string text;
    for (int i = 0; i < 1000; ++i) text += u"%@fecho[";
    text += std::u16string(1000, u']');
    std::u16string out;
    EXPECT_EQ(host::ExpandText(session, text, out).fault, host::ExpandFault::Malformed);
}

TEST_F(HostExpand, ResultIsBoundedByTheExpansionBuffer) {
    std::u16string longest(host::kMaxTextUnits, u'x');
    EXPECT_TRUE(sys::SetEnv(u"big", longest.c_str()));
    std::u16string out;
    EXPECT_EQ(host::ExpandText(session, u"%big%", out).fault, host::ExpandFault::None);
    EXPECT_EQ(out.size(), host::kMaxTextUnits);
    EXPECT_EQ(host::ExpandText(session, u"%big%y", out).fault, host::ExpandFault::TooLong);
    EXPECT_EQ(host::ExpandText(session, u"y%big%", out).fault, host::ExpandFault::TooLong);
    EXPECT_EQ(fake::StdErr(), ""); // the caller decides what to say
}

// ---- The ExpandVariables service -------------------------------------------------------------

TEST_F(HostExpand, ServiceExpandsInPlace) {
    auto buffer = std::make_unique<char16_t[]>(kHostExpandCapacity);
    text::CopyBounded(buffer.get(), kHostExpandCapacity, u"%@comma[%@fecho[]12345]|%name%");
    EXPECT_EQ(ExpandVariables(AsHost(buffer.get()), 1), 0);
    EXPECT_EQ(std::u16string(buffer.get()), u"<>12345|World");
}

TEST_F(HostExpand, ServiceLeavesTheTextAloneWhenItFails) {
    std::u16string longest(host::kMaxTextUnits, u'x');
    EXPECT_TRUE(sys::SetEnv(u"big", longest.c_str()));
    const char16_t* inputs[] = {u"%big%%big%", u"a%@ffail[]b", u"%@xyz[]"};
    for (const char16_t* input : inputs) {
        auto buffer = std::make_unique<char16_t[]>(kHostExpandCapacity);
        text::CopyBounded(buffer.get(), kHostExpandCapacity, input);
        EXPECT_NE(ExpandVariables(AsHost(buffer.get()), 1), 0) << text::ToUtf8(input);
        EXPECT_EQ(std::u16string(buffer.get()), input);
    }
    EXPECT_EQ(ExpandVariables(nullptr, 1), 1);
}

TEST_F(HostExpand, ServiceGivesTheExportsResultWhenOneFails) {
    char16_t buffer[kHostExpandCapacity] = u"%_fvarfail";
    EXPECT_EQ(ExpandVariables(AsHost(buffer), 1), 5);
}

TEST_F(HostExpand, ServiceFillsTheBufferExactly) {
    auto buffer = std::make_unique<char16_t[]>(kHostExpandCapacity);
    std::u16string half(4000, u'h');
    EXPECT_TRUE(sys::SetEnv(u"half", half.c_str()));
    // 4000 + 191 + 4000 = 8191 units: the buffer holds them and the terminator.
    std::u16string input = u"%half%" + std::u16string(191, u'm') + u"%half%";
    text::CopyBounded(buffer.get(), kHostExpandCapacity, input.c_str());
    EXPECT_EQ(ExpandVariables(AsHost(buffer.get()), 1), 0);
    EXPECT_EQ(text::Length(buffer.get()), host::kMaxTextUnits);
    // One unit more does not fit.
    input = u"%half%" + std::u16string(192, u'm') + u"%half%";
    text::CopyBounded(buffer.get(), kHostExpandCapacity, input.c_str());
    EXPECT_NE(ExpandVariables(AsHost(buffer.get()), 1), 0);
    EXPECT_EQ(std::u16string(buffer.get()), input);
}

TEST_F(HostExpand, ServiceRefusesATextWithoutTerminatorInItsBuffer) {
    auto buffer = std::make_unique<char16_t[]>(kHostExpandCapacity);
    for (int i = 0; i < kHostExpandCapacity; ++i) buffer[i] = u'a';
    EXPECT_NE(ExpandVariables(AsHost(buffer.get()), 1), 0);
    EXPECT_EQ(buffer[0], u'a');
}

} // namespace
