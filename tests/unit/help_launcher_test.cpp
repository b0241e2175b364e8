// The Help export and the help launcher over the fake system: which page a feature opens, where
// the help file is looked for and in which order, the message when there is none, and the one
// viewer that is kept and ended.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "fake/fake_sys.h"
#include "frame/exports.h"
#include "frame/help_topic.h"
#include "frame/help_viewer.h"
#include "plugin/plugin_loader.h"
#include "session/session.h"
#include "text/u16.h"
#include "unit/plugin_exports.h"

namespace {

constexpr char16_t kViewer[] = u"/sys/hh.exe";

// Every place the help file may lie, in the order the launcher tries them, as this fixture
// arranges them: the variables, the library's directory, the host program's and the Windows
// directory.
struct Place {
    const char16_t* file;     // where the fixture puts a help file
    const char16_t* openedAs; // the help file's name on the viewer's command line
};
constexpr Place kPlaces[] = {
    {u"/docs/korvanite/Korvanite.chm", u"/docs/korvanite\\Korvanite.chm"},
    {u"/docs/plugins/Korvanite.chm", u"/docs/plugins\\Korvanite.chm"},
    {u"/lib/plug/Korvanite.chm", u"/lib/plug\\Korvanite.chm"},
    {u"/lib/plug/Help/Korvanite.chm", u"/lib/plug\\Help\\Korvanite.chm"},
    {u"/host/bin/Korvanite.chm", u"/host/bin/Korvanite.chm"},
    {u"/host/bin/help/Korvanite.chm", u"/host/bin/help\\Korvanite.chm"},
    {u"/win/help/Korvanite.chm", u"/win\\help\\Korvanite.chm"},
};

std::u16string CommandLine(const char16_t* helpFile, const char16_t* topic) {
    return u"\"" + std::u16string(kViewer) + u"\" \"" + helpFile + u"::/" + topic + u".html\"";
}

class HelpLauncher : public AttachedPluginTest {
protected:
    void SetUp() override {
        HelpViewerProcess = nullptr;
        AttachedPluginTest::SetUp();
        EXPECT_TRUE(sys::SetEnv(u"KorvaniteHelp", u"/docs/korvanite"));
        EXPECT_TRUE(sys::SetEnv(u"PluginHelp", u"/docs/plugins"));
        EXPECT_TRUE(sys::SetEnv(u"windir", u"/win"));
        fake::SetModulePath(u"/lib/plug/Korvanite.so");
        fake::SetExecutablePath(u"/host/bin/plughost");
        fake::SetProgramLocation(u"hh.exe", kViewer);
    }
    void TearDown() override {
        AttachedPluginTest::TearDown();
        HelpViewerProcess = nullptr;
    }

    static int AskHelp(const char16_t* name) { return Help(AsHost(name)); }

    // The command line of the only viewer started.
    static std::u16string OnlyCommandLine() {
        const auto& started = fake::StartedProcesses();
        if (started.size() != 1)
            return u"<" + text::FromUtf8(std::to_string(started.size())) + u">";
        return started[0].commandLine;
    }
};

TEST(HelpTopic, OtherNamesHaveNone) {
    for (const char16_t* name :
         {u"@BALLO", u"BBDUMPX", u"", u"balloc", u"@", u"_", u"f_balloc", u"v_bblasterr",
          u"bbdump,bblist", u" bbdump", u"bbdump ", u"@balloc[1K]", u"%@balloc"}) {
        char16_t topic[kTopicCapacity] = u"x";
        EXPECT_FALSE(HelpTopicOf(name, topic)) << text::ToUtf8(name);
        EXPECT_EQ(topic[0], 0);
    }
    char16_t topic[kTopicCapacity];
    EXPECT_FALSE(HelpTopicOf(nullptr, topic));
}

TEST_F(HelpLauncher, UnknownNamesGiveZeroAndDoNothing) {
    for (const char16_t* name : {u"@BALLO", u"BBDUMPX", u"", u"help"}) {
        EXPECT_EQ(AskHelp(name), 0) << text::ToUtf8(name);
    }
    EXPECT_EQ(Help(nullptr), 0);
    EXPECT_TRUE(fake::StartedProcesses().empty());
    EXPECT_TRUE(fake::MessageBoxes().empty());
}

TEST_F(HelpLauncher, OpensThePageOfTheFeature) {
    fake::AddFile(kPlaces[0].file, "chm");
    struct Case {
        const char16_t* name;
        const char16_t* topic;
    } cases[] = {
        {u"BBDUMP", u"bbdump"},
        {u"@bpokex", u"f_bpokex"},
        {u"_BBLASTERR", u"v_bblasterr"},
        {u"bblist", u"bblist"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AskHelp(c.name), 1);
        const auto& started = fake::StartedProcesses();
        ASSERT_FALSE(started.empty());
        EXPECT_EQ(started.back().application, kViewer);
        EXPECT_EQ(started.back().commandLine, CommandLine(kPlaces[0].openedAs, c.topic));
    }
    EXPECT_TRUE(fake::MessageBoxes().empty());
}

TEST_F(HelpLauncher, TriesThePlacesInOrder) {
    // With a help file in every place from `first` on, the one in `first` is opened.
    for (size_t first = 0; first < std::size(kPlaces); ++first) {
        TearDown();
        SetUp();
        for (size_t i = first; i < std::size(kPlaces); ++i) fake::AddFile(kPlaces[i].file, "chm");
        EXPECT_EQ(AskHelp(u"@balloc"), 1);
        EXPECT_EQ(OnlyCommandLine(), CommandLine(kPlaces[first].openedAs, u"f_balloc"))
            << "place " << first + 1;
        EXPECT_TRUE(fake::MessageBoxes().empty());
    }
}

TEST_F(HelpLauncher, AnUnsetOrEmptyVariableIsSkippedWithoutLookingAtTheDisk) {
    // Were the empty value used, "\Korvanite.chm" would name a file in the current directory.
    for (const char16_t* value : {static_cast<const char16_t*>(nullptr), u""}) {
        TearDown();
        SetUp();
        fake::AddFile(u"/fake/cwd/Korvanite.chm", "chm");
        fake::AddFile(kPlaces[1].file, "chm");
        EXPECT_TRUE(sys::SetEnv(u"KorvaniteHelp", value));
        EXPECT_EQ(AskHelp(u"bblist"), 1);
        EXPECT_EQ(OnlyCommandLine(), CommandLine(kPlaces[1].openedAs, u"bblist"));
    }
    TearDown();
    SetUp();
    fake::AddFile(u"/fake/cwd/Korvanite.chm", "chm");
    EXPECT_TRUE(sys::SetEnv(u"KorvaniteHelp", nullptr));
    EXPECT_TRUE(sys::SetEnv(u"PluginHelp", nullptr));
    EXPECT_EQ(AskHelp(u"bblist"), 1);
    EXPECT_TRUE(fake::StartedProcesses().empty());
    EXPECT_EQ(fake::MessageBoxes().size(), 1u);
}

TEST_F(HelpLauncher, TheVariableWinsOverACopyBesideTheLibrary) {
    fake::AddFile(kPlaces[2].file, "chm");
    fake::AddFile(kPlaces[0].file, "chm");
    EXPECT_EQ(AskHelp(u"@bload"), 1);
    EXPECT_EQ(OnlyCommandLine(), CommandLine(kPlaces[0].openedAs, u"f_bload"));
}

TEST_F(HelpLauncher, DirectoriesAndDevicesAreNoHelpFile) {
    fake::AddDirectory(kPlaces[0].file);
    fake::AddDevice(kPlaces[1].file);
    fake::AddFile(kPlaces[2].file, "chm");
    EXPECT_EQ(AskHelp(u"@bsave"), 1);
    EXPECT_EQ(OnlyCommandLine(), CommandLine(kPlaces[2].openedAs, u"f_bsave"));
}

TEST_F(HelpLauncher, APercentSignInTheLibrarysDirectoryIsNotExpanded) {
    fake::SetModulePath(u"/lib/50%windir%/Korvanite.so");
    fake::AddFile(u"/lib/50%windir%/Korvanite.chm", "chm");
    EXPECT_EQ(AskHelp(u"bbdump"), 1);
    EXPECT_EQ(OnlyCommandLine(), CommandLine(u"/lib/50%windir%\\Korvanite.chm", u"bbdump"));
}

constexpr char16_t kMissingText[] =
    u"I can\u2019t find the help file Korvanite.chm.  It should be:\n\n"
    u"    \u2022  in a directory specified in %KORVANITEHELP\n"
    u"    \u2022  in a directory specified in %PLUGINHELP\n"
    u"    \u2022  in the same directory as the .DLL file\n"
    u"    \u2022  in a HELP directory within the .DLL\u2019s directory  \n"
    u"    \u2022  in the same directory as the command shell\n"
    u"    \u2022  in a HELP directory within the shell\u2019s directory  \n"
    u"    \u2022  or in C:\\Windows\\Help.\n";

TEST_F(HelpLauncher, NoHelpFileAnywhereSaysSoInAMessageBox) {
    EXPECT_EQ(AskHelp(u"_bloadsize"), 1);
    ASSERT_EQ(fake::MessageBoxes().size(), 1u);
    EXPECT_EQ(fake::MessageBoxes()[0].caption, u"Missing Help File");
    EXPECT_EQ(fake::MessageBoxes()[0].text, kMissingText);
    EXPECT_TRUE(fake::StartedProcesses().empty());
    EXPECT_EQ(fake::StdOut(), "");
    EXPECT_EQ(fake::StdErr(), "");
}

// Natively an empty windir leaves only the root: no Windows help folder is named then.
TEST_F(HelpLauncher, WithoutAWindowsDirectoryTheMessageLeavesThatPlaceOut) {
    const std::u16string full = kMissingText;
    const std::u16string withoutWindows = full.substr(0, full.rfind(u"    \u2022  or in"));
    const struct {
        const char16_t* directory;
        std::u16string text;
    } cases[] = {
        {u"", withoutWindows},
        {u"/", withoutWindows},
        {u"\\", withoutWindows},
        {u"/win", full.substr(0, full.rfind(u"C:")) + u"/win\\Help.\n"},
    };
    for (const auto& c : cases) {
        fake::SetWindowsDirectory(c.directory);
        const size_t shown = fake::MessageBoxes().size();
        EXPECT_EQ(AskHelp(u"bbdump"), 1);
        ASSERT_EQ(fake::MessageBoxes().size(), shown + 1);
        EXPECT_EQ(fake::MessageBoxes().back().text, c.text) << text::ToUtf8(c.directory);
    }
}

TEST_F(HelpLauncher, NoViewerOnTheSearchPathSaysTheFileIsMissing) {
    for (const Place& place : kPlaces) fake::AddFile(place.file, "chm");
    fake::SetProgramLocation(u"hh.exe", u"");
    EXPECT_EQ(AskHelp(u"bbdump"), 1);
    EXPECT_EQ(fake::MessageBoxes().size(), 1u);
    EXPECT_TRUE(fake::StartedProcesses().empty());
}

TEST_F(HelpLauncher, AViewerThatCannotStartSaysTheFileIsMissing) {
    fake::AddFile(kPlaces[0].file, "chm");
    fake::PlanFault(fake::Call::ProcessStart, 1, fake::kUsualCode, fake::kEveryCall);
    EXPECT_EQ(AskHelp(u"bbdump"), 1);
    EXPECT_EQ(fake::MessageBoxes().size(), 1u);
    EXPECT_EQ(HelpViewerProcess, nullptr);
}

TEST_F(HelpLauncher, ASecondCallEndsTheFirstViewerAfterTheNewOneStarts) {
    fake::AddFile(kPlaces[0].file, "chm");
    EXPECT_EQ(AskHelp(u"bbdump"), 1);
    EXPECT_EQ(AskHelp(u"bblist"), 1);
    EXPECT_EQ(fake::ProcessEvents(), (std::vector<std::string>{"start 1", "start 2", "end 1"}));
    ASSERT_EQ(fake::StartedProcesses().size(), 2u);
    EXPECT_EQ(fake::StartedProcesses()[0].exitCode, 0u);
    EXPECT_EQ(HelpViewerProcess, fake::StartedProcesses()[1].handle);
}

TEST_F(HelpLauncher, AFailedSecondCallKeepsTheFirstViewer) {
    fake::AddFile(kPlaces[0].file, "chm");
    EXPECT_EQ(AskHelp(u"bbdump"), 1);
    fake::PlanFault(fake::Call::ProcessStart, 1, fake::kUsualCode, fake::kEveryCall);
    EXPECT_EQ(AskHelp(u"bblist"), 1);
    EXPECT_EQ(fake::ProcessEvents(), (std::vector<std::string>{"start 1"}));
    EXPECT_EQ(HelpViewerProcess, fake::StartedProcesses()[0].handle);
}

TEST_F(HelpLauncher, ShutdownEndsTheViewer) {
    for (int removeRecords : {0, 1}) {
        TearDown();
        SetUp();
        fake::AddFile(kPlaces[0].file, "chm");
        EXPECT_EQ(AskHelp(u"bbdump"), 1);
        host::UnloadPlugin(session, removeRecords);
        EXPECT_EQ(fake::ProcessEvents(), (std::vector<std::string>{"start 1", "end 1"}));
        EXPECT_EQ(fake::StartedProcesses()[0].exitCode, 0u);
        EXPECT_EQ(HelpViewerProcess, nullptr);
    }
}

TEST_F(HelpLauncher, ShutdownWithoutAViewerEndsNothing) {
    host::UnloadPlugin(session, 1);
    EXPECT_TRUE(fake::ProcessEvents().empty());
}

} // namespace
