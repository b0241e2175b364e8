// Highlight colours: the attribute chosen from the console's colours and the user's setting,
// the sources of that setting in order, and the colour of the Ctrl-C mark.
#include "console_test_fixture.h"

#include <optional>

#include "frame/host_services.h"
#include "text/u16.h"

namespace {

using consoletest::ConsoleFixture;

constexpr char16_t kPluginKey[] = u"SOFTWARE\\RURoruved\\Korvanite";
constexpr char16_t kVendorKey[] = u"SOFTWARE\\RURoruved";

void SetHighlightValue(sys::RegistryRoot root, const char16_t* path, uint32_t type,
                       std::u16string_view value) {
    sys::RegistryKey key = nullptr;
    ASSERT_EQ(
        sys::CreateRegistryKey(sys::RegistryRootKey(root), path, sys::KeyLifetime::Ordinary, &key),
        sys::kRegOk);
    std::u16string data(value);
    ASSERT_EQ(sys::SetRegistryValue(key, u"Highlight", type, data.c_str(),
                                    uint32_t((data.size() + 1) * sizeof(char16_t))),
              sys::kRegOk);
    sys::CloseRegistryKey(key);
}

class Highlight : public ConsoleFixture {
protected:
    // SetupHighlight with the console's and host's colour `current` and the given environment.
    uint32_t Setup(unsigned current, const char16_t* highlight = nullptr,
                   const char16_t* noColor = nullptr) {
        SetColors(int(current));
        fake::SetConsoleAttribute(uint16_t(current));
        EXPECT_TRUE(sys::SetEnv(u"Highlight", highlight));
        EXPECT_TRUE(sys::SetEnv(u"NO_COLOR", noColor));
        NormalAttr = 0;
        HighlightAttr = 0;
        return SetupHighlight();
    }
};

TEST_F(Highlight, TheSettingAndTheConsoleColoursGiveTheHighlight) {
    struct Case {
        unsigned current;
        const char16_t* setting; // the environment variable Highlight
        uint32_t expected;
    };
    const Case cases[] = {
        // No setting: the intensity bit, else the table.
        {0x17, nullptr, 0x1F},
        {0x07, nullptr, 0x0F},
        {0x0F, nullptr, 0x0E},
        {0x70, nullptr, 0x79},
        {0x87, nullptr, 0x8F},
        {0x1E, nullptr, 0x1F},
        {0x00, nullptr, 0},
        {0x77, nullptr, 0},
        // A number.
        {0x07, u"0x4E", 0x4E},
        {0x07, u"0X4e", 0x4E},
        {0x07, u"0x07", 0},
        {0x07, u"0x77", 0},
        {0x07, u"0x", 0},
        {0x07, u"0x4G", 0},
        {0x07, u"0x100000000", 0},
        {0x07, u"0xFFFFFFFF", 0}, // no attribute: cut to 0xFF it would hide the text
        {0x07, u"0x1FF", 0},
        {0x07, u"0x14E", 0},
        {0x07, u"0x40E", 0x0E}, // background 64: foreground only
        {0x07, u"0x400", 0},
        // Inverse.
        {0x17, u"inv", 0x71},
        {0x1F, u"INVERSE", 0x71},
        {0x07, u"inv", 0x70},
        // A description in the host's syntax.
        {0x07, u"bright yellow on red", 0x4E},
        {0x17, u"bright white", 0x1F},
        {0x17, u"white", 0},
        {0x17, u"blue", 0},
        {0x17, u"yellow on yellow", 0},
        {0x17, u"white on blue", 0},
        {0x17, u"no colour at all", 0},
    };
    for (const Case& c : cases) {
        const std::string name = c.setting ? text::ToUtf8(c.setting) : "(none)";
        EXPECT_EQ(Setup(c.current, c.setting), c.expected) << std::hex << c.current << " " << name;
        if (c.expected != 0) {
            EXPECT_EQ(NormalAttr, c.current) << name;
            EXPECT_EQ(HighlightAttr, c.expected) << name;
        } else {
            EXPECT_EQ(NormalAttr, 0) << name;
            EXPECT_EQ(HighlightAttr, 0) << name;
        }
    }
}

TEST_F(Highlight, OutputToAFileIsNeverColoured) {
    fake::SetIsConsole(sys::StdStream::Output, false);
    EXPECT_EQ(Setup(0x17, u"0x4E"), 0u);
    EXPECT_EQ(Setup(0x17), 0u);
    EXPECT_EQ(NormalAttr, 0);
}

TEST_F(Highlight, NoColorSwitchesColourOffUnlessHighlightIsSet) {
    SetHighlightValue(sys::RegistryRoot::CurrentUser, kPluginKey, sys::kRegString, u"0x4E");
    EXPECT_EQ(Setup(0x07, nullptr, u"1"), 0u);
    EXPECT_TRUE(ColorSuppressedByEnvironment());
    EXPECT_EQ(Setup(0x07, u"0x2F", u"1"), 0x2Fu);
    EXPECT_FALSE(ColorSuppressedByEnvironment());
    EXPECT_EQ(Setup(0x07, nullptr, nullptr), 0x4Eu);
    EXPECT_FALSE(ColorSuppressedByEnvironment());
}

TEST_F(Highlight, AnEnvironmentValueTooLongCountsAsEmpty) {
    std::u16string longText(kHighlightTextCapacity, u'x');
    EXPECT_EQ(Setup(0x07, nullptr, longText.c_str()), 0x0Fu);
    longText.resize(kHighlightTextCapacity - 1);
    EXPECT_EQ(Setup(0x07, nullptr, longText.c_str()), 0u);
}

TEST_F(Highlight, TheSourcesAreSearchedInOrder) {
    using sys::RegistryRoot;
    SetHighlightValue(RegistryRoot::LocalMachine, kVendorKey, sys::kRegString, u"0x1E");
    EXPECT_EQ(Setup(0x07), 0x1Eu);
    SetHighlightValue(RegistryRoot::CurrentUser, kVendorKey, sys::kRegString, u"0x2E");
    EXPECT_EQ(Setup(0x07), 0x2Eu);
    SetHighlightValue(RegistryRoot::LocalMachine, kPluginKey, sys::kRegString, u"0x3E");
    EXPECT_EQ(Setup(0x07), 0x3Eu);
    SetHighlightValue(RegistryRoot::CurrentUser, kPluginKey, sys::kRegString, u"0x4E");
    EXPECT_EQ(Setup(0x07), 0x4Eu);
    EXPECT_EQ(Setup(0x07, u"0x5E"), 0x5Eu);
}

TEST_F(Highlight, ValuesOfAnotherTypeOrEmptyAreSkipped) {
    using sys::RegistryRoot;
    SetHighlightValue(RegistryRoot::CurrentUser, kPluginKey, sys::kRegExpandString, u"0x4E");
    SetHighlightValue(RegistryRoot::LocalMachine, kPluginKey, sys::kRegString, u"");
    SetHighlightValue(RegistryRoot::CurrentUser, kVendorKey, sys::kRegString, u"0x2E");
    EXPECT_EQ(Setup(0x07), 0x2Eu);
}

TEST_F(Highlight, ReadHighlightValueReportsWhyItGaveNothing) {
    using sys::RegistryRoot;
    char16_t out[kHighlightTextCapacity];
    out[0] = u'x';
    EXPECT_EQ(ReadHighlightValue(RegistryRoot::CurrentUser, kPluginKey, out), sys::kRegNotFound);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(ReadHighlightValue(RegistryRoot::CurrentUser, nullptr, out), 0xFFFFFFFFu);
    EXPECT_EQ(ReadHighlightValue(RegistryRoot::CurrentUser, u"", out), 0xFFFFFFFFu);
    EXPECT_EQ(ReadHighlightValue(RegistryRoot::CurrentUser, kPluginKey, nullptr), 0xFFFFFFFFu);

    SetHighlightValue(RegistryRoot::CurrentUser, kPluginKey, sys::kRegExpandString, u"red");
    out[0] = u'x';
    EXPECT_EQ(ReadHighlightValue(RegistryRoot::CurrentUser, kPluginKey, out), 13u);
    EXPECT_EQ(out[0], 0);
    SetHighlightValue(RegistryRoot::CurrentUser, kPluginKey, sys::kRegString, u"");
    EXPECT_EQ(ReadHighlightValue(RegistryRoot::CurrentUser, kPluginKey, out), 232u);
    SetHighlightValue(RegistryRoot::CurrentUser, kPluginKey, sys::kRegString, u"bright red");
    EXPECT_EQ(ReadHighlightValue(RegistryRoot::CurrentUser, kPluginKey, out), 0u);
    EXPECT_EQ(text::ToUtf8(out), "bright red");
    // A key or value that cannot be read gives its code and no text.
    for (fake::Call call : {fake::Call::RegistryOpen, fake::Call::RegistryRead}) {
        fake::PlanFault(call);
        EXPECT_EQ(ReadHighlightValue(RegistryRoot::CurrentUser, kPluginKey, out),
                  call == fake::Call::RegistryOpen ? 5u : 1018u);
        EXPECT_EQ(out[0], 0);
    }
}

TEST_F(Highlight, AValueThatFillsTheBufferWithoutEndIsRefused) {
    using sys::RegistryRoot;
    sys::RegistryKey key = nullptr;
    ASSERT_EQ(sys::CreateRegistryKey(sys::RegistryRootKey(RegistryRoot::CurrentUser), kPluginKey,
                                     sys::KeyLifetime::Ordinary, &key),
              sys::kRegOk);
    std::u16string full(kHighlightTextCapacity, u'r');
    ASSERT_EQ(sys::SetRegistryValue(key, u"Highlight", sys::kRegString, full.data(),
                                    uint32_t(full.size() * sizeof(char16_t))),
              sys::kRegOk);
    sys::CloseRegistryKey(key);
    char16_t out[kHighlightTextCapacity];
    EXPECT_NE(ReadHighlightValue(RegistryRoot::CurrentUser, kPluginKey, out), 0u);
    EXPECT_EQ(out[0], 0);
    // One unit less, without a terminator, is a whole text.
    full.resize(kHighlightTextCapacity - 1);
    SetHighlightValue(RegistryRoot::CurrentUser, kPluginKey, sys::kRegString, full);
    EXPECT_EQ(ReadHighlightValue(RegistryRoot::CurrentUser, kPluginKey, out), 0u);
    EXPECT_EQ(text::Length(out), size_t(kHighlightTextCapacity - 1));
}

TEST_F(Highlight, TheMarkColourStandsOutOnTheConsole) {
    struct Case {
        std::optional<uint16_t> console; // none: unreadable
        uint32_t replaced;
        uint16_t mark;
    };
    const Case cases[] = {
        {0x17, 0x17, 0x1F}, {0x0F, 0x0F, 0x0E},         {0x07, 0x07, 0x0F},
        {0x00, 0x07, 0x0F}, {std::nullopt, 0x07, 0x0F}, {0xF2, 0xF2, 0xF0},
    };
    for (const Case& c : cases) {
        fake::SetConsoleAttributeUnreadable(!c.console.has_value());
        fake::SetConsoleAttribute(c.console.value_or(0x4E));
        EXPECT_EQ(SetMarkColor(), c.replaced);
        EXPECT_EQ(fake::ConsoleAttribute(), c.mark);
        EXPECT_EQ(session.script.currentAttribute, c.mark); // the host was told
    }
}

TEST_F(Highlight, TheCtrlCMarkIsWrittenInItsColourAndTheColourRestored) {
    fake::SetConsoleAttribute(0x17);
    fake::ClearOutput();
    ShowCtrlC();
    EXPECT_EQ(fake::ConsoleDeviceText(), "\r ^C \n");
    const std::string transcript = fake::ConsoleTranscript();
    EXPECT_EQ(transcript.substr(0, 4), "{1F}");
    EXPECT_EQ(transcript.substr(transcript.size() - 10), "\r ^C \n{17}");
    EXPECT_EQ(fake::ConsoleAttribute(), 0x17);
}

TEST_F(Highlight, ColourCodesSwitchTheAttributeOfRuns) {
    NormalAttr = 0x07;
    HighlightAttr = 0x0E;
    fake::ClearOutput();
    EXPECT_EQ(ColorPrint(u"a\x12"
                         u"bc\x11"
                         u"d\r\n%s\x12"
                         u"f",
                         u"e"),
              kOutputOk);
    // Runs go to the console device in their colour; each line end sets the normal colour back
    // and tells the host; a highlighted end of text is set back too.
    EXPECT_EQ(fake::ConsoleTranscript(), "{07}a{0E}bc{07}d{07}\x1b[0m\r\n{07}e{0E}f{07}\x1b[0m");
    EXPECT_EQ(fake::StdOut(), "\x1b[0m\r\n\x1b[0m");
    EXPECT_EQ(fake::ConsoleDeviceText(), "abcdef");
}

TEST_F(Highlight, WithoutColourTheCodesAreDropped) {
    fake::ClearOutput();
    EXPECT_EQ(ColorPrint(u"a\x12"
                         u"b\x11"
                         u"c\r\nd"),
              kOutputOk);
    EXPECT_EQ(fake::StdOut(), "abc\r\nd");
    EXPECT_EQ(fake::ConsoleDeviceText(), "");
    EXPECT_EQ(PagedPrint(nullptr), kOutputNoText);
    EXPECT_EQ(ColorPrint(nullptr), kOutputNoText);
    EXPECT_EQ(PutColored(nullptr, 7), kOutputNoText);
    EXPECT_EQ(PagedPrint(u""), kOutputOk);
    EXPECT_EQ(ColorPrint(u""), kOutputOk);
}

TEST_F(Highlight, ColorPrintAfterCtrlCWritesNothing) {
    CtrlCPressed = 1;
    fake::ClearOutput();
    EXPECT_EQ(ColorPrint(u"text\n"), kOutputStopped);
    EXPECT_EQ(fake::ConsoleDeviceText(), "\r ^C \n");
    EXPECT_EQ(fake::StdOut().find("text"), std::string::npos);
}

} // namespace
