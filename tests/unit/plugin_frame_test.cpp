// The plug-in protocol and the frame's text services, through the real exports bound to the host
// engine in one process over the fake system backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fake/fake_sys.h"
#include "frame/exports.h"
#include "frame/help_topic.h"
#include "frame/plugin_identity.h"
#include "frame/plugin_state.h"
#include "frame/report.h"
#include "frame/text_services.h"
#include "plugin/plugin_loader.h"
#include "runner/expand.h"
#include "runner/line_runner.h"
#include "session/session.h"
#include "text/u16.h"
#include "unit/plugin_exports.h"

namespace {

class PluginFrame : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        host::InitSession(session);
        session.script.pipe = true; // quiet by default; tests that want the greeting say so
    }
    void TearDown() override {
        if (session.plugin.loaded) host::UnloadPlugin(session, 1);
    }
    host::LoadOutcome Load() {
        return host::AttachPlugin(session, host::BindExportTable(LinkedPluginExports()));
    }

    host::Session session;
    host::ActivateSession active{session};
};

// ---- InitializePlugin ------------------------------------------------------------------------

TEST_F(PluginFrame, LoadMessageOnlyWhenNotTransientNotPipedAndNoloadmsgEmpty) {
    struct Case {
        bool transient, pipe;
        const char16_t* noloadmsg;
        std::string expected;
    } cases[] = {
        {false, false, nullptr, "Korvanite v" + PluginVersionText(3) + " loaded.\r\n"},
        {true, false, nullptr, ""},
        {false, true, nullptr, ""},
        {false, false, u"1", ""},
        {false, false, u"no", ""},
    };
    for (const Case& c : cases) {
        fake::Reset();
        session.script.transient = c.transient;
        session.script.pipe = c.pipe;
        if (c.noloadmsg != nullptr) {
            EXPECT_TRUE(sys::SetEnv(u"noloadmsg", c.noloadmsg));
        }
        EXPECT_EQ(Load(), host::LoadOutcome::Loaded);
        EXPECT_EQ(fake::StdOut(), c.expected) << c.transient << c.pipe;
        EXPECT_EQ(fake::StdErr(), "");
        host::UnloadPlugin(session, 1);
    }
}

TEST_F(PluginFrame, RefusesTheLiteEditionInAnyCase) {
    for (const char16_t* name : {u"TCCLE", u"tccle", u"TccLe"}) {
        fake::Reset();
        EXPECT_TRUE(sys::SetEnv(u"PLUGHOST_CMDPROC", name));
        EXPECT_EQ(InitializePlugin(), 1);
        EXPECT_EQ(fake::StdErr(),
                  "Korvanite plugin: This plugin is not for TCC/LE!  Plugin not loaded.\r\n");
        EXPECT_EQ(fake::StdOut(), "");
        EXPECT_EQ(fake::ConsoleOpenAttempts(), 0); // nothing was set up
    }
    for (const char16_t* name : {u"TCC", u"TCCLE2", u" TCCLE"}) {
        fake::Reset();
        EXPECT_TRUE(sys::SetEnv(u"PLUGHOST_CMDPROC", name));
        EXPECT_EQ(InitializePlugin(), 0) << text::ToUtf8(name);
        ShutdownPlugin(1);
    }
}

TEST_F(PluginFrame, RefusalInsideABatchFileNamesTheFileAndLine) {
    EXPECT_TRUE(sys::SetEnv(u"PLUGHOST_CMDPROC", u"tccle"));
    session.script.inBatch = true;
    session.script.batchName = u"/jobs/100%load.btm";
    session.script.batchLine = 12;
    EXPECT_EQ(InitializePlugin(), 1);
    EXPECT_EQ(fake::StdErr(), "Korvanite plugin: /jobs/100%load.btm [12]  This plugin is not for "
                              "TCC/LE!  Plugin not loaded.\r\n");
}

TEST_F(PluginFrame, ConsoleDeviceIsRetriedOnceAfter50Milliseconds) {
    struct Case {
        int failures;
        bool open;
        int attempts;
        uint64_t slept;
    } cases[] = {{0, true, 1, 0}, {1, true, 2, 50}, {2, false, 2, 50}, {5, false, 2, 50}};
    for (const Case& c : cases) {
        fake::Reset();
        if (c.failures > 0)
            fake::PlanFault(fake::Call::ConsoleOpen, 1, fake::kUsualCode, c.failures);
        EXPECT_EQ(InitializePlugin(), 0);
        EXPECT_EQ(ConsoleOut != nullptr, c.open) << c.failures;
        EXPECT_EQ(fake::ConsoleOpenAttempts(), c.attempts);
        EXPECT_EQ(fake::SleptMillis(), c.slept);
        ShutdownPlugin(0);
        EXPECT_EQ(ConsoleOut, nullptr);
        EXPECT_EQ(fake::OpenConsoleDevices(), 0);
    }
}

TEST_F(PluginFrame, ALongVariableCannotOverrunTheLoadChecks) {
    std::u16string longValue(5000, u'x');
    EXPECT_TRUE(sys::SetEnv(u"noloadmsg", longValue.c_str()));
    EXPECT_TRUE(sys::SetEnv(u"PLUGHOST_CMDPROC", longValue.c_str()));
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_EQ(fake::StdOut(), "");
    ShutdownPlugin(1);
}

// ---- GetPluginInfo, Usage, _clver$ -----------------------------------------------------------

TEST_F(PluginFrame, InformationRecordAnnouncesEveryFeature) {
    PluginInfoRecord* info = GetPluginInfo();
    EXPECT_EQ(info, GetPluginInfo());
    EXPECT_EQ(text::ToUtf8(FromHost(info->name)), "Korvanite");
    EXPECT_EQ(text::ToUtf8(FromHost(info->description)), "Helper functions for binary buffers");
    EXPECT_EQ(FromHost(info->features), std::u16string(plugin::kFeatureList));
    EXPECT_EQ(info->major, KV_VERSION_MAJOR);
    EXPECT_EQ(info->minor, KV_VERSION_MINOR);
    EXPECT_EQ(info->build, KV_VERSION_PATCH);
    EXPECT_EQ(info->reserved1, 0u);
    EXPECT_EQ(info->reserved2, 0u);
    EXPECT_NE(info->author, nullptr);
    EXPECT_NE(info->email, nullptr);
    EXPECT_NE(info->webPage, nullptr);
#if defined(__i386__)
    EXPECT_EQ(sizeof(PluginInfoRecord), 44u);
#endif
}

// Every list of features is made from the table in frame/features.def; this is the one check
// that the lists made outside C++ (by CMake, scripts and documents) and the rules that derive
// names from it keep to it.
TEST(FeatureTable, EveryListFollowsTheTable) {
    // Each feature as the list shows it, and its help topic.
    const std::pair<std::string, std::string> features[] = {
#define KV_COMMAND(name, ...) {#name, #name},
#define KV_FUNCTION(name, ...) {"@" #name, "f_" #name},
#define KV_VARIABLE(name, ...) {"_" #name, "v_" #name},
#include "frame/features.def"
    };
    // The features that scripts written for the first version know keep their places.
    const std::string list = text::ToUtf8(plugin::kFeatureList);
    EXPECT_EQ(list.rfind("bbdump,bblist,@balloc,@bfill,@bfree,@bfreeall,@bload,@bmemcmp,@bmemcpy,"
                         "@bmodval,@bpeekx,@bpokex,@brandfill,@bsave,_bblasterr,_bloadsize",
                         0),
              0u);
    std::string joined;
    std::ifstream file(std::string(KV_SOURCE_DIR) + "/docs/features.md", std::ios::binary);
    std::string document{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    for (char& c : document) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& [shown, topic] : features) {
        joined += (joined.empty() ? "" : ",") + shown;
        std::string upper = shown;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        char16_t found[kTopicCapacity];
        EXPECT_TRUE(HelpTopicOf(text::FromUtf8(upper).c_str(), found));
        EXPECT_EQ(text::ToUtf8(found), topic);
        // The seeds of its fuzz program (fuzz/make_seeds.py), its section in the features.
        const std::string name = shown.substr(shown[0] == '@' || shown[0] == '_' ? 1 : 0);
        EXPECT_TRUE(std::filesystem::is_directory(std::string(KV_SEED_CORPUS_DIR) + "/" + name))
            << name;
        EXPECT_NE(document.find(shown), std::string::npos) << shown;
    }
    EXPECT_EQ(list, joined);
}

// plughost's `plugin /exports` names a feature only when it is missing or misbehaves.
TEST_F(PluginFrame, ExportCheckNamesOnlyTheFeaturesThatFail) {
    ASSERT_EQ(Load(), host::LoadOutcome::Loaded);
    host::RunLine(session, u"plugin /exports");
    const int faults = session.script.lastResult;
    const std::string all = fake::StdOut();
    EXPECT_EQ(all.substr(all.find("_clver$")),
              "_clver$: missing\r\nevery feature of the list: 87\r\n");
    session.plugin.features.push_back(u"@bnothing");
    fake::ClearOutput();
    host::RunLine(session, u"plugin /exports");
    const std::string one = fake::StdOut();
    EXPECT_EQ(one.substr(one.find("_clver$")),
              "_clver$: missing\r\nf_bnothing: missing\r\nevery other feature of the list: 87\r\n");
    EXPECT_EQ(session.script.lastResult, faults + 1);
}

TEST_F(PluginFrame, UsageGivesTheSyntaxTextOfCommandsOnly) {
    struct Case {
        const char16_t* name;
        int result;
        const char* begins;
    } cases[] = {
        {u"bbdump", 1,
         "BBDUMP /B /BE /C: /CP: /D /E: /F: /H /K: /LE /M /N: /P /Q /W bbhandle...  "
         "\r\n\n\t/B\tdump bytes"},
        {u"BBDump", 1, "BBDUMP /B"},
        {u"BBLIST", 1, "BBLIST /B /O: /P \r\n\n\t/B\tbare bones"},
        {u"bblist", 1, "BBLIST /B"},
        {u"@balloc", 0, "untouched"},
        {u"_bloadsize", 0, "untouched"},
        {u"bblistx", 0, "untouched"},
        {u"bbdum", 0, "untouched"},
        {u"", 0, "untouched"},
    };
    for (const Case& c : cases) {
        char16_t out[1024];
        text::CopyBounded(out, 1024, u"untouched");
        EXPECT_EQ(Usage(AsHost(c.name), AsHost(out)), c.result) << text::ToUtf8(c.name);
        EXPECT_EQ(text::ToUtf8(out).rfind(c.begins, 0), 0u) << text::ToUtf8(out);
    }
    char16_t out[1024];
    Usage(AsHost(u"bblist"), AsHost(out));
    EXPECT_EQ(text::ToUtf8(out), "BBLIST /B /O: /P \r\n\n\t/B\tbare bones\n\t/O:\tsort buffers "
                                 "\t\t/O? for more info\n\t/P\tpage output\n\nOnly binary buffers "
                                 "created while this plugin is loaded \ncan be listed. \n");
    EXPECT_EQ(Usage(nullptr, AsHost(out)), 0);
}

TEST_F(PluginFrame, ClverAnswersItsVersionText) {
    for (bool converts : {true, false}) {
        // A system that cannot convert the text (no memory) still gets the version.
        if (!converts) fake::PlanFault(fake::Call::CodePage);
        char16_t out[1024] = u"";
        EXPECT_EQ(ClverExport(AsHost(out)), 0);
        EXPECT_EQ(text::ToUtf8(out), "1.1.1.3");
    }
    EXPECT_EQ(ClverExport(nullptr), -1);
}

// ---- The error report ------------------------------------------------------------------------

TEST_F(PluginFrame, ErrorReportHasOneForm) {
    ReportMessage(u"Bad size: \"%s\"\r\n", u"5X");
    EXPECT_EQ(fake::StdErr(), "Korvanite plugin: Bad size: \"5X\"\r\n");

    fake::ClearOutput();
    session.script.inBatch = true;
    session.script.batchName = u"/work/a b.btm";
    session.script.batchLine = 3;
    ReportMessage(u"Missing size\r\n");
    EXPECT_EQ(fake::StdErr(), "Korvanite plugin: /work/a b.btm [3]  Missing size\r\n");
    EXPECT_EQ(fake::StdOut(), "");
}

// ---- Digit grouping --------------------------------------------------------------------------

TEST_F(PluginFrame, CommaFormatTextGroupsThroughTheHost) {
    struct Case {
        std::u16string text;
        int capacity;
        int result;
        std::u16string after;
    } cases[] = {
        {u"1234567", 64, 0, u"1,234,567"},
        {u"0", 64, 0, u"0"},
        {u"1234", 6, 0, u"1,234"},
        {u"1234", 5, 3, u"1234"}, // the terminator needs room
        {std::u16string(8183, u'1'), 9000, 1, std::u16string(8183, u'1')},
    };
    for (Case& c : cases) {
        std::u16string buffer = c.text;
        buffer.resize(std::max<size_t>(buffer.size() + 1, static_cast<size_t>(c.capacity)));
        EXPECT_EQ(CommaFormatText(buffer.data(), c.capacity), c.result);
        EXPECT_EQ(std::u16string(buffer.c_str()), c.after);
    }
    // 8182 units are still tried; here the grouped form is longer than the host's expansion.
    std::u16string longest(8182, u'1');
    longest.resize(9000);
    EXPECT_NE(CommaFormatText(longest.data(), 9000), 1);
    EXPECT_EQ(CommaFormatText(nullptr, 10), -1);
}

TEST_F(PluginFrame, CommaFormatU64GroupsEveryValue) {
    EXPECT_EQ(text::ToUtf8(CommaFormatU64(0)), "0");
    EXPECT_EQ(text::ToUtf8(CommaFormatU64(999)), "999");
    EXPECT_EQ(text::ToUtf8(CommaFormatU64(1000)), "1,000");
    EXPECT_EQ(text::ToUtf8(CommaFormatU64(UINT64_MAX)), "18,446,744,073,709,551,615");
}

// ---- Usage printing, file name part, trimming ------------------------------------------------

TEST_F(PluginFrame, ShowCommandUsageAddsVersionLinesOnRequest) {
    const std::string kPlatform = text::ToUtf8(plugin::kPlatform);
    EXPECT_EQ(ShowCommandUsage(u"SYNTAX\r\n", "src\\commands\\BBDumpCmd", "0.46.2.0", 0), 0);
    EXPECT_EQ(fake::StdOut(), "SYNTAX\r\n");

    fake::ClearOutput();
    ShowCommandUsage(u"SYNTAX\r\n", "src\\commands\\BBDumpCmd", "0.46.2.0", 1);
    EXPECT_EQ(fake::StdOut(), "SYNTAX\r\n\r\n\t\t\t\tKorvanite  " + PluginVersionText(4) + " (" +
                                  kPlatform +
                                  ")\r\n"
                                  "\t\t\t\tBBDumpCmd  0.46.2.0\r\n");

    for (auto [path, version] :
         {std::pair<const char*, const char*>{nullptr, "0.93.0.0"}, {"BBListCmd", nullptr}}) {
        fake::ClearOutput();
        ShowCommandUsage(u"S\n", path, version, 1);
        EXPECT_EQ(fake::StdOut(),
                  "S\n\r\n\t\t\t\tKorvanite  " + PluginVersionText(4) + " (" + kPlatform + ")\r\n");
    }
}

TEST(FileNamePart, CutsAfterTheLastSeparator) {
    struct Case {
        const char16_t* path;
        const char16_t* expected;
    } cases[] = {
        {u"c:\\dir\\name", u"name"}, {u"c:name", u"name"},     {u"dir/a:b", u"a:b"},
        {u"plain", u"plain"},        {u"dir\\", u""},          {u"a:b:c", u"c"},
        {u"/x/y.btm", u"y.btm"},     {u"\\\\srv\\s\\f", u"f"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text::ToUtf8(FileNamePart(c.path)), text::ToUtf8(c.expected))
            << text::ToUtf8(c.path);
    EXPECT_EQ(FileNamePart(u""), nullptr);
    EXPECT_EQ(FileNamePart(nullptr), nullptr);
}

TEST(TrimBlanks, RemovesWhiteSpaceAtBothEnds) {
    struct Case {
        const char16_t* text;
        const char16_t* expected;
    } cases[] = {
        {u"  5K ", u"5K"},
        {u"   ", u""},
        {u"", u""},
        {u"\t\r\n x y \v\f", u"x y"},
        {u"abc", u"abc"},
        {u" a", u"a"},
        // Windows' white space, the no-break spaces among it; U+0085 and U+200B are none.
        {u"\u00A0x\u2007\u202F\u3000", u"x"},
        {u"\u0085x\u200B", u"\u0085x\u200B"},
    };
    for (const Case& c : cases) {
        std::u16string buffer = c.text;
        EXPECT_EQ(TrimBlanks(buffer.data()), 0);
        EXPECT_EQ(text::ToUtf8(buffer.c_str()), text::ToUtf8(c.expected));
    }
    EXPECT_EQ(TrimBlanks(nullptr), -1);
}

} // namespace
