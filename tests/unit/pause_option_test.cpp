// The pause option: its syntax, the values it sets, and every message it gives.
#include "console_test_fixture.h"

#include "text/u16.h"

namespace {

using consoletest::ConsoleFixture;

class PauseOption : public ConsoleFixture {};

TEST_F(PauseOption, TheSyntaxSetsLinesAndTime) {
    struct Case {
        const char16_t* option;
        int result;
        uint32_t lines;
        uint32_t millis;
        const char* message; // after the error report, without the line end
        const char* shown;   // the option text afterwards
    };
    constexpr uint32_t kWhole = kPauseWholeWindow;
    const Case cases[] = {
        {u"/P", 0, kWhole, 0, "", "/P"},
        {u"/p", 0, kWhole, 0, "", "/p"},
        {u"-P", 0, kWhole, 0, "", "-P"},
        {u"/P:", 0, kWhole, 0, "", "/P:"},
        {u"/P=", 0, kWhole, 0, "", "/P="},
        {u"/P:5", 0, kWhole, 5000, "", "/P:5"},
        {u"/p=750m", 0, kWhole, 750, "", "/p=750m"},
        {u"/P750M", 0, kWhole, 750, "", "/P750M"},
        {u"/P:0x10", 0, kWhole, 16000, "", "/P:0x10"},
        {u"/P:0o10m", 0, kWhole, 8, "", "/P:0o10m"},
        {u"/P:,20", 0, 20, 0, "", "/P:,20"},
        {u"/P:2;20", 0, 20, 2000, "", "/P:2;20"},
        {u"/P:,0", 0, 0, 0, "", "/P:,0"},
        {u"/P:,", 0, kWhole, 0, "", "/P:,"},
        {u"/P;", 0, kWhole, 0, "", "/P;"},
        {u"/P:,1000", 0, 1000, 0, "", "/P:,1000"},
        {u"/P:4294967", 0, kWhole, 4294967000u, "", "/P:4294967"},
        {u"/P:4294967295m", 0, kWhole, 4294967295u, "", "/P:4294967295m"},
        {u"/P:4294968", 1, kWhole, 0, "Bad pause time: \"/P:4294968\"", "/P:4294968"},
        {u"/p:4294967296m", 1, kWhole, 0, "Bad pause time: \"/P:4294967296M\"", "/P:4294967296M"},
        {u"/p:,4294967296", 1, kWhole, 0, "Bad pause lines: \"/P:,4294967296\"", "/P:,4294967296"},
        {u"/p:,1001", 1, 1001, 0, "Pause lines must be 0 - 1000: 1001", "/p:,1001"},
        {u"/p:5x", 1, kWhole, 5000, "Syntax error: \"/P:5X\"", "/P:5X"},
        {u"/p:x", 1, kWhole, 0, "Syntax error: \"/P:X\"", "/P:X"},
        {u"/p::5", 1, kWhole, 0, "Syntax error: \"/P::5\"", "/P::5"},
        {u"/p:5,,2", 1, kWhole, 5000, "Syntax error: \"/P:5,,2\"", "/P:5,,2"},
        {u"/p:,2 ", 1, 2, 0, "Syntax error: \"/P:,2 \"", "/P:,2 "},
        {u"/page", 1, kWhole, 0, "Syntax error: \"/PAGE\"", "/PAGE"},
        {u"/B", 0, 7, 0, "", "/B"},
        {u"P", 0, 7, 0, "", "P"},
        {u"", 0, 7, 0, "", ""},
    };
    for (const Case& c : cases) {
        std::u16string option = c.option;
        uint32_t lines = 7;
        PauseMillis = 0;
        fake::ClearOutput();
        EXPECT_EQ(ParsePauseOption(option.data(), &lines), c.result) << text::ToUtf8(c.option);
        EXPECT_EQ(lines, c.lines) << text::ToUtf8(c.option);
        EXPECT_EQ(PauseMillis, c.millis) << text::ToUtf8(c.option);
        const std::string expected =
            c.message[0] == 0 ? "" : std::string("Korvanite plugin: ") + c.message + "\r\n";
        EXPECT_EQ(fake::StdErr(), expected) << text::ToUtf8(c.option);
        EXPECT_EQ(text::ToUtf8(option.c_str()), c.shown);
    }
}

TEST_F(PauseOption, AMissingTextIsRefused) {
    uint32_t lines = 7;
    EXPECT_EQ(ParsePauseOption(nullptr, &lines), -1);
    EXPECT_EQ(lines, 7u);
}

TEST_F(PauseOption, ThePauseLinesValueMeetsTheWindow) {
    // /P:,2 pages by the window, /P:,1000 too; /P:,0 leaves paging off.
    struct Case {
        const char16_t* option;
        uint32_t pageLines;
    };
    for (Case c :
         {Case{u"/P:,2", 23}, Case{u"/P:,1000", 23}, Case{u"/P:,20", 20}, Case{u"/P", 23}}) {
        std::u16string option = c.option;
        uint32_t lines = 0;
        ASSERT_EQ(ParsePauseOption(option.data(), &lines), 0);
        SetPageLength(lines);
        EXPECT_EQ(PageLines, c.pageLines) << text::ToUtf8(c.option);
    }
}

} // namespace
