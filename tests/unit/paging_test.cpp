// Paging: the page length from the window, the prompt after each page, the keys that answer it,
// the time-out, and stops by Esc and Ctrl-C.
#include "console_test_fixture.h"

#include <algorithm>

#include "console/interrupt.h"
#include "console/line_batch.h"
#include "text/u16.h"

namespace {

using consoletest::ConsoleFixture;
using consoletest::Readable;

class Paging : public ConsoleFixture {};

TEST_F(Paging, PageLengthFollowsTheWindow) {
    struct Case {
        uint32_t rows;
        uint32_t pauseLines;
        uint32_t expected;
    };
    const Case cases[] = {
        {25, kPauseWholeWindow, 23},
        {25, 20, 20},
        {25, 3, 3},
        {25, 2, 23},
        {25, 0, 23},
        {25, 24, 24},
        {25, 25, 23},
        {25, 1000, 23},
        {9, kPauseWholeWindow, 0},
        {10, 20, 8},
        {10, 9, 9},
        {100, kPauseWholeWindow, 98},
        {101, kPauseWholeWindow, 0},
        {101, 20, 0},
        {0, 20, 0},
    };
    for (const Case& c : cases) {
        fake::SetConsoleRows(c.rows);
        SetPageLength(c.pauseLines);
        EXPECT_EQ(PageLines, c.expected) << c.rows << " rows, " << c.pauseLines;
        EXPECT_EQ(LinesLeft, c.expected) << c.rows << " rows, " << c.pauseLines;
    }
}

TEST_F(Paging, OutputToAFileIsNeverPaged) {
    fake::SetIsConsole(sys::StdStream::Output, false);
    SetPageLength(kPauseWholeWindow);
    EXPECT_EQ(PageLines, 0u);
    EXPECT_EQ(PrintLines(60), kOutputOk);
    EXPECT_EQ(Readable(fake::ConsoleTranscript()).find("[prompt]"), std::string::npos);
}

TEST_F(Paging, TheWindowsOf9And101RowsAreNotPaged) {
    for (uint32_t rows : {9u, 101u}) {
        fake::ClearOutput();
        fake::SetConsoleRows(rows);
        SetPageLength(kPauseWholeWindow);
        EXPECT_EQ(PrintLines(120), kOutputOk);
        EXPECT_TRUE(PromptsAfter(fake::ConsoleTranscript()).empty()) << rows;
    }
}

TEST_F(Paging, TheFirstPromptComesAfterThePageAndIsErased) {
    SetPageLength(20);
    fake::QueueKeys(u"\r\r\r");
    EXPECT_EQ(PrintLines(21), kOutputOk);
    std::string transcript = Readable(fake::ConsoleTranscript());
    EXPECT_NE(transcript.find("19\r\n20\r\n[prompt][erase]21\r\n"), std::string::npos)
        << transcript;
    EXPECT_EQ(fake::ConsoleDeviceText(), consoletest::kPrompt + consoletest::kErase);
    // The prompt bypasses standard output.
    EXPECT_EQ(Readable(fake::StdOut()).find("[prompt]"), std::string::npos);
}

TEST_F(Paging, EachKeyDecidesHowFarTheOutputRuns) {
    struct Case {
        std::u16string keys;
        int result;
        std::vector<int> prompts;
    };
    const std::u16string more = u"\r\r\r\r\r\r";
    const Case cases[] = {
        {u"C", kOutputOk, {20}},
        {u"c", kOutputOk, {20}},
        {u"A", kOutputOk, {20}},
        {u"a", kOutputOk, {20}},
        {u"/" + more, kOutputOk, {20, 30, 50}},
        {u"5" + more, kOutputOk, {20, 25, 45}},
        {u"1" + more, kOutputOk, {20, 21, 41}},
        {u"9" + more, kOutputOk, {20, 29, 49}},
        {u"0" + more, kOutputOk, {20, 30, 50}},
        {u"\r" + more, kOutputOk, {20, 40, 60}},
        {u" " + more, kOutputOk, {20, 40, 60}},
        {u"x" + more, kOutputOk, {20, 40, 60}},
        {u"\xE0\x48" + more, kOutputOk, {20, 40, 60}},
        {std::u16string(1, u'\0') + u"\x3B" + more, kOutputOk, {20, 40, 60}},
        {u"\x1B", kOutputStopped, {20}},
        {u"\x03", kOutputStopped, {20}},
    };
    for (const Case& c : cases) {
        fake::Reset();
        fake::SetIsConsole(sys::StdStream::Output, true);
        sys::CloseHandle(ConsoleOut);
        ConsoleOut = sys::OpenConsoleDevice();
        SetPageLength(20);
        fake::QueueKeys(c.keys);
        EXPECT_EQ(PrintLines(60), c.result) << text::ToUtf8(c.keys);
        EXPECT_EQ(PromptsAfter(fake::ConsoleTranscript()), c.prompts) << text::ToUtf8(c.keys);
        const bool marked = fake::ConsoleDeviceText().find("\r ^C \n") != std::string::npos;
        EXPECT_EQ(marked, c.keys == u"\x03") << text::ToUtf8(c.keys);
        EXPECT_EQ(fake::KeyInputDepth(), 0);
        EXPECT_EQ(fake::KeyReadsWithoutKey(), 0) << text::ToUtf8(c.keys);
    }
}

TEST_F(Paging, AStoppedOutputWritesNothingMore) {
    SetPageLength(20);
    fake::QueueKeys(u"\x1B");
    EXPECT_EQ(PrintLines(60), kOutputStopped);
    std::string out = fake::StdOut();
    EXPECT_EQ(out.substr(out.size() - 4), "20\r\n");
}

TEST_F(Paging, APromptGoesOnByItselfAfterThePauseTime) {
    PauseMillis = 1000;
    SetPageLength(20);
    EXPECT_EQ(PrintLines(60), kOutputOk);
    EXPECT_EQ(PromptsAfter(fake::ConsoleTranscript()), (std::vector<int>{20, 40, 60}));
    EXPECT_GE(fake::SleptMillis(), 3000u);
    EXPECT_LE(fake::SleptMillis(), 3030u);
    EXPECT_EQ(fake::KeyReadsWithoutKey(), 0);
}

TEST_F(Paging, AKeyBeforeTheTimeOutIsTaken) {
    PauseMillis = 1000;
    fake::QueueKeys(u"c", 400);
    EXPECT_EQ(WaitForPauseKey(), uint32_t(u'c'));
    EXPECT_GE(fake::SleptMillis(), 400u);
    EXPECT_LT(fake::SleptMillis(), 420u);
}

TEST_F(Paging, TheTimeOutHoldsWhenTheTickCountWraps) {
    for (uint32_t start : {0xFFFFFF00u, 0xFFFFFFFAu, 0xFFFFFC18u, 0u}) {
        fake::Reset();
        fake::SetTickCount(start);
        PauseMillis = 1000;
        EXPECT_EQ(WaitForPauseKey(), 32u) << start;
        EXPECT_GE(fake::SleptMillis(), 1000u) << start;
        EXPECT_LE(fake::SleptMillis(), 1010u) << start;
    }
}

TEST_F(Paging, ExtendedKeysComeWithTheirSecondCode) {
    fake::QueueKeys(u"\xE0\x48");
    EXPECT_EQ(WaitForPauseKey(), 0x10048u);
    fake::QueueKeys(std::u16string(1, u'\0') + u"\x3B");
    EXPECT_EQ(WaitForPauseKey(), 0x1003Bu);
    fake::QueueKeys(u"\x1B");
    EXPECT_EQ(WaitForPauseKey(), 27u);
}

TEST_F(Paging, CtrlCAtThePromptStopsWithTheMark) {
    InstallCtrlHandler();
    SetPageLength(20);
    fake::RaiseControlEventAfter(sys::kCtrlCEvent, 500);
    EXPECT_EQ(PrintLines(60), kOutputStopped);
    EXPECT_EQ(PromptsAfter(fake::ConsoleTranscript()), std::vector<int>{20});
    EXPECT_NE(fake::ConsoleDeviceText().find("\r ^C \n"), std::string::npos);
}

TEST_F(Paging, CtrlBreakDuringOutputStopsAfterTheCurrentLine) {
    InstallCtrlHandler();
    // Each line is two writes: its text and its line end.
    fake::RaiseControlEventAtWrite(sys::kCtrlBreakEvent, 5);
    EXPECT_EQ(PrintLines(60), kOutputStopped);
    EXPECT_EQ(fake::StdOut().substr(0, 9), "1\r\n2\r\n3\r\n");
    EXPECT_EQ(fake::StdOut().find("4\r\n"), std::string::npos);
    EXPECT_NE(fake::ConsoleDeviceText().find("\r ^C \n"), std::string::npos);
}

// A listing writes each line together with its end when nothing happens at the end, or several
// such lines in one batch; paged, in colour, or with no room left for the end it falls back to
// the line and PagedNewLines. Either way the output is what the two calls give.
TEST_F(Paging, ALineWithItsEndComesOutAsTheTwoCallsGiveIt) {
    constexpr size_t kCapacity = 40;
    struct Case {
        const char* name;
        uint32_t pageLines;
        uint8_t normalAttr;
        size_t lineUnits;
    } const cases[] = {
        {"unpaged", 0, 0, 10},
        {"paged", 5, 0, 10},
        {"coloured", 0, 0x17, 10},
        {"end just fits", 0, 0, kCapacity - 3},
        {"no room", 0, 0, kCapacity - 2},
        {"full", 5, 0, kCapacity - 1},
    };
    enum Way { Apart, Together, Batched };
    for (const Case& c : cases) {
        std::string outputs[3];
        for (int way : {Apart, Together, Batched}) {
            fake::ClearOutput();
            ResetCommandOutput();
            if (c.pageLines != 0) SetPageLength(c.pageLines);
            NormalAttr = c.normalAttr;
            fake::QueueKeys(u"\r\r\r");
            LineBatch batch;
            for (int i = 0; i < 12; ++i) {
                char16_t line[kCapacity];
                std::fill(line, line + kCapacity, u'#');
                line[0] = static_cast<char16_t>(u'a' + i);
                line[c.lineUnits] = 0;
                int result = kOutputOk;
                if (way == Batched && LinesMayWait()) {
                    std::copy(line, line + c.lineUnits, NextBatchedLine(batch, kCapacity));
                    result = EndBatchedLine(batch, c.lineUnits);
                } else if (way != Apart) {
                    FlushLineBatch(batch);
                    result = PutPagedLine(line, c.lineUnits, kCapacity);
                } else {
                    QPuts(AsHost(line));
                    result = PagedNewLines(1);
                }
                ASSERT_EQ(result, kOutputOk) << c.name;
            }
            FlushLineBatch(batch);
            outputs[way] = fake::ConsoleTranscript();
        }
        EXPECT_EQ(outputs[Together], outputs[Apart]) << c.name;
        EXPECT_EQ(outputs[Batched], outputs[Apart]) << c.name;
        EXPECT_EQ(std::count(outputs[Apart].begin(), outputs[Apart].end(), '\n'), 12) << c.name;
    }
}

TEST_F(Paging, CtrlBreakStopsAJoinedLineAfterItsEnd) {
    InstallCtrlHandler();
    fake::SetIsConsole(sys::StdStream::Output, false);
    fake::RaiseControlEventAtWrite(sys::kCtrlBreakEvent, 2);
    char16_t line[8] = u"line";
    EXPECT_EQ(PutPagedLine(line, 4, 8), kOutputOk);
    EXPECT_EQ(PutPagedLine(line, 4, 8), kOutputStopped);
    EXPECT_EQ(fake::StdOut(), "line\r\nline\r\n");
    EXPECT_NE(fake::ConsoleDeviceText().find("\r ^C \n"), std::string::npos);
}

TEST_F(Paging, ACountOfZeroWritesNothing) {
    SetPageLength(20);
    EXPECT_EQ(PagedNewLines(0), kOutputOk);
    EXPECT_EQ(fake::ConsoleTranscript(), "");
    EXPECT_EQ(LinesLeft, 20u);
}

TEST_F(Paging, SeveralLineEndsCountEach) {
    SetPageLength(5);
    fake::QueueKeys(u"\r");
    EXPECT_EQ(PagedNewLines(7), kOutputOk);
    EXPECT_EQ(Readable(fake::ConsoleTranscript()), "\r\n\r\n\r\n\r\n\r\n[prompt][erase]\r\n\r\n");
    EXPECT_EQ(LinesLeft, 3u);
}

TEST_F(Paging, EscHeldDuringUnpagedOutputBringsThePrompt) {
    fake::HoldKey(sys::KeyName::Escape, 3);
    fake::QueueKeys(u"zz");
    EXPECT_EQ(CheckPauseKeys(), 0);
    EXPECT_EQ(PageLines, 23u);
    EXPECT_EQ(LinesLeft, 1u);
    EXPECT_EQ(fake::KeyStatePolls(sys::KeyName::Escape), 4);
    EXPECT_EQ(fake::SleptMillis(), 20u);
    EXPECT_EQ(fake::QueuedKeys(), 0u); // the keystrokes were eaten
    fake::QueueKeys(u"\r");
    EXPECT_EQ(PagedNewLines(1), kOutputOk);
    EXPECT_EQ(Readable(fake::ConsoleTranscript()), "\r\n[prompt][erase]");
}

TEST_F(Paging, EscInAWindowTooSmallPromptsOnce) {
    fake::SetConsoleRows(9);
    fake::HoldKey(sys::KeyName::Escape, 1);
    CheckPauseKeys();
    EXPECT_EQ(PageLines, 0u);
    EXPECT_EQ(LinesLeft, 1u);
}

TEST_F(Paging, HoldingCtrlSlowsTheOutput) {
    fake::HoldKey(sys::KeyName::Control, 1);
    CheckPauseKeys();
    EXPECT_EQ(fake::SleptMillis(), 65u);
    EXPECT_EQ(PageLines, 0u);
}

TEST_F(Paging, PauseKeysAreIgnoredWhilePagedOrNotOnAConsole) {
    fake::HoldKey(sys::KeyName::Escape, 5);
    PageLines = 10;
    CheckPauseKeys();
    EXPECT_EQ(fake::KeyStatePolls(sys::KeyName::Escape), 0);
    PageLines = 0;
    fake::SetIsConsole(sys::StdStream::Output, false);
    CheckPauseKeys();
    EXPECT_EQ(fake::KeyStatePolls(sys::KeyName::Escape), 0);
    EXPECT_EQ(LinesLeft, 0u);
}

TEST_F(Paging, TheControlHandlerTakesCtrlCAndCtrlBreakOnlyWhileACommandRuns) {
    struct Case {
        uint32_t event;
        int handled;
    };
    InstallCtrlHandler();
    for (Case c : {Case{0, 1}, Case{1, 1}, Case{2, 0}, Case{5, 0}, Case{6, 0}}) {
        CtrlCPressed = 0;
        EXPECT_EQ(ConsoleCtrlHandler(c.event), c.handled) << c.event;
        EXPECT_EQ(CtrlCPressed, c.handled) << c.event;
    }
    // A handler that could not be removed lets Ctrl-C through to the host.
    fake::PlanFault(fake::Call::ControlHandler);
    RemoveCtrlHandler();
    EXPECT_TRUE(fake::ControlHandlerInstalled());
    EXPECT_EQ(ConsoleCtrlHandler(sys::kCtrlCEvent), 0);
    EXPECT_EQ(CtrlCPressed, 0);
    RemoveCtrlHandler();
    EXPECT_FALSE(fake::ControlHandlerInstalled());
}

TEST_F(Paging, TheHandlerIsInstalledOnceAndRemoved) {
    CtrlCPressed = 1;
    InstallCtrlHandler();
    InstallCtrlHandler();
    EXPECT_EQ(CtrlCPressed, 0);
    EXPECT_TRUE(fake::ControlHandlerInstalled());
    EXPECT_EQ(fake::ControlHandlerChanges(), 1);
    CtrlCPressed = 1;
    RemoveCtrlHandler();
    EXPECT_EQ(CtrlCPressed, 0);
    EXPECT_FALSE(fake::ControlHandlerInstalled());
    RemoveCtrlHandler();
    EXPECT_EQ(fake::ControlHandlerChanges(), 2);
}

} // namespace
