// BBLIST through the host engine over the fake system: the listing, its order under every kind
// of sort key, times, sizes, paging, stops, usage texts and error messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "commands/bblist.h"
#include "console/console_output.h"
#include "fake/fake_sys.h"
#include "frame/exports.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_identity.h"
#include "frame/plugin_state.h"
#include "plugin/plugin_loader.h"
#include "runner/line_runner.h"
#include "session/session.h"
#include "store_test_fixture.h"
#include "text/u16.h"
#include "unit/plugin_exports.h"

namespace {

const std::string kUnderline = [] {
    auto bar = [](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += "\xE2\x94\x80";
        return s;
    }; // U+2500
    return bar(kHandleDigits) + "  " + bar(13) + "  " + bar(10) + "  " + bar(19) + "\r\n";
}();
// The wide handle column moves its title four blanks right and the rest eight.
#if defined(KV_WIDE_ADDRESSES)
const std::string kHeader =
    "\r\n     Handle           Size          Size           Created\r\n" + kUnderline;
#else
const std::string kHeader =
    "\r\n Handle       Size          Size           Created\r\n" + kUnderline;
#endif
const std::string& Z = storetest::kHandleZeros;

class BBList : public AttachedPluginTest {
protected:
    // A buffer at `address` of `size` bytes, created at `time` (UTC).
    static void Allocate(uintptr_t address, uint32_t size,
                         sys::SystemTime time = fake::kDefaultSystemTime) {
        fake::SetNextHeapAddress(address);
        fake::SetSystemTime(time);
        std::u16string text(kHostExpandCapacity, u'\0');
        const std::u16string number = text::FromUtf8(std::to_string(size));
        text.replace(0, number.size(), number);
        ASSERT_EQ(f_balloc(AsHost(text.data())), 0);
        ASSERT_EQ(text::ToUtf8(text.c_str()), storetest::HandleText(address));
    }

    // Runs "bblist ARGUMENTS"; returns its standard output.
    std::string List(const std::string& arguments) {
        fake::ClearOutput();
        host::RunLine(session, text::FromUtf8("bblist " + arguments));
        return fake::StdOut();
    }
    int Result() const { return session.script.lastResult; }
};

// The buffers of the sort tables: addresses B, A, C, D in the order of their allocation.
constexpr sys::SystemTime kT1{2024, 3, 6, 15, 12, 0, 0, 500};
constexpr sys::SystemTime kT2{2024, 3, 5, 15, 12, 0, 0, 600};
constexpr sys::SystemTime kT3{2024, 3, 6, 16, 0, 0, 0, 0};

class BBListSorted : public BBList {
protected:
    void SetUp() override {
        BBList::SetUp();
        Allocate(0x00B00000, 200, kT2);
        Allocate(0x00A00000, 100, kT3);
        Allocate(0x00C00000, 200, kT1);
        Allocate(0x00D00000, 100, kT1);
    }
    static std::string Bare(const std::string& order) {
        std::string text;
        for (char c : order) text += Z + "00" + c + "00000\r\n";
        return text;
    }
};

TEST_F(BBListSorted, EverySortKeyOrdersTheList) {
    struct Case {
        const char* options;
        const char* order;
    };
    const Case cases[] = {
        {"/b", "BACD"},
        {"/b /o", "ABCD"},
        {"/b /O:A", "ABCD"},
        {"/b /o:-a", "DCBA"},
        {"/b /o:S", "ADBC"},
        {"/b /o:-S", "BCAD"},
        {"/b /o:T", "CDBA"},
        {"/b /o:-T", "ABCD"},
        {"/b /o:ST", "DACB"},
        {"/b /o:-ST", "CBDA"},
        {"/b /o:S-T", "ADBC"},
        {"/b /o:-S-T", "BCAD"},
        {"/b /o:TA", "CDBA"},
        {"/b /o:T-A", "DCBA"},
        {"/b /o:-T-A", "ABDC"},
        {"/b /o:TS", "DCBA"},
        {"/b /o:--s", "BCAD"},
        {"/b /o:-a-s", "DCBA"},
        {"/b /o=t", "CDBA"},
        {"/b /ot", "CDBA"},
        {"/b /O:T", "CDBA"},
        {"/b /o:U", "BACD"},
        {"/b /o:u", "BACD"},
        {"/b /o:", "BACD"},
        {"/b /o:-", "BACD"},
        {"/b /o /o:u", "BACD"},
        {"/b /o:u /o", "ABCD"},
        {"/b/o:s", "ADBC"},
        {"/b /o:s /o:-a", "DCBA"},
        {"/b /o:SSSSSSSSSSSSSSST", "ADBC"},
        {"/b /o:SSSSSSSSSSSSSST", "DACB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(List(c.options), Bare(c.order)) << c.options;
        EXPECT_EQ(Result(), 0) << c.options;
    }
}

TEST(BBListOrder, RecordsCompareKeyByKeyThenByAddress) {
    BufferRecord a{.address = 0x1000, .size = 5, .created = kT1};
    BufferRecord b{.address = 0x2000, .size = 5, .created = kT1};
    b.created.dayOfWeek = 0; // not compared
    EXPECT_LT(CompareBufferRecords(a, b, u""), 0);
    EXPECT_LT(CompareBufferRecords(a, b, u"ST"), 0);
    EXPECT_GT(CompareBufferRecords(a, b, u"a"), 0);
    EXPECT_EQ(CompareBufferRecords(a, a, u"AST"), 0);
    if constexpr (sizeof(BufferAddress) == 8) { // the whole address decides, not its low half
        BufferRecord high = a;
        high.address = static_cast<BufferAddress>(uint64_t{1} << 32 | 0x1000);
        EXPECT_GT(CompareBufferRecords(high, b, u"A"), 0);
    }
    for (int field = 0; field < 7; ++field) {
        BufferRecord later = b;
        uint16_t* fields[] = {&later.created.year,        &later.created.month,
                              &later.created.day,         &later.created.hour,
                              &later.created.minute,      &later.created.second,
                              &later.created.milliseconds};
        *fields[field] = 0xFFFF;
        BufferRecord early = a;
        early.address = 0x9000;
        EXPECT_LT(CompareBufferRecords(early, later, u"T"), 0) << field;
        EXPECT_GT(CompareBufferRecords(early, later, u"t"), 0) << field;
    }
}

TEST(BBListSortKeys, KeysAreReadIntoTheirText) {
    struct Case {
        const char16_t* text;
        int result;
        const char16_t* keys;
    };
    const Case cases[] = {
        {u"", 0, u""},
        {u":", 0, u""},
        {u"=u", 0, u""},
        {u":A", 0, u"A"},
        {u"a", 0, u"A"},
        {u":-a", 0, u"a"},
        {u":--S-t", 0, u"st"},
        {u":-", 0, u""},
        {u"=TSA", 0, u"TSA"},
        {u":uu", 1, u""},
        {u":x", 1, u""},
        {u":ax", 1, u""},
        {u"::a", 1, u""},
        {u":AAAAAAAAAAAAAAAAAAA", 0, u"AAAAAAAAAAAAAAA"},
        {u":AAAAAAAAAAAAAAA-SQ", 1, u""},
    };
    fake::Reset();
    for (const Case& c : cases) {
        char16_t keys[kSortKeysCapacity] = {u'?'};
        EXPECT_EQ(ParseSortKeys(c.text, keys), c.result) << text::ToUtf8(c.text);
        EXPECT_EQ(text::ToUtf8(keys), text::ToUtf8(c.keys)) << text::ToUtf8(c.text);
    }
    fake::Reset();
}

TEST(BBListSizes, HumanSizesUseTheLargestUnitReached) {
    struct Case {
        uint64_t size;
        const char* expected;
    };
    const Case cases[] = {
        {0, "   0.00 kB"},
        {100, "   0.10 kB"},
        {1023, "   1.00 kB"},
        {1048575, "1024.00 kB"},
        {1048576, "   1.00 MB"},
        {1572864, "   1.50 MB"},
        {1073741823, "1024.00 MB"},
        {1073741824, "   1.00 GB"},
        {4294967295u, "   4.00 GB"},
        {uint64_t{1} << 40, "   1.00 TB"},
        {uint64_t{3} << 50, "   3.00 PB"},
        {uint64_t{1} << 60, "   1.00 EB"},
        {UINT64_MAX, "  16.00 EB"},
    };
    for (const Case& c : cases) {
        char16_t out[kHumanSizeCapacity];
        EXPECT_EQ(FormatHumanSize(out, c.size), 0);
        EXPECT_EQ(text::ToUtf8(out), c.expected) << c.size;
    }
    EXPECT_EQ(FormatHumanSize(nullptr, 1), -1);
}

TEST_F(BBList, AnEmptyListSaysSo) {
    for (const char* options : {"", "/b", "/o:-s /u", "/p"}) {
        EXPECT_EQ(List(options), "No binary buffers allocated.\r\n") << options;
        EXPECT_EQ(Result(), 0);
    }
    Allocate(0x00A41000, 8);
    host::RunLine(session, u"echo %@bfreeall[]");
    EXPECT_EQ(List(""), "No binary buffers allocated.\r\n");
}

TEST_F(BBList, OneBufferWithHeaderRowAndCount) {
    Allocate(0x00A41000, 100);
    fake::SetLocalTimeOffset(90);
    const std::string listing = kHeader + Z +
                                "00A41000            100     0.10 kB  2024-03-15 14:04:56\r\n"
                                "\r\n1 buffer.\r\n";
    EXPECT_EQ(List(""), listing);
    EXPECT_EQ(Result(), 0);
    // Its lines need no memory of the heap: the list is all that does.
    fake::PlanFault(fake::Call::Memory, 2, fake::kUsualCode, fake::kEveryCall);
    EXPECT_EQ(List(""), listing);
    EXPECT_EQ(fake::FaultsMet(), 0);
    fake::ClearFaults();
    // A list that cannot be allocated is no list: the command answers as if there were none.
    fake::PlanFault(fake::Call::Memory);
    EXPECT_EQ(List(""), "No binary buffers allocated.\r\n");
    EXPECT_EQ(fake::StdErr(), "");
    EXPECT_EQ(Result(), 0);
}

TEST_F(BBList, TimesAreLocalUnlessUtcIsAsked) {
    Allocate(0x00A41000, 100, sys::SystemTime{2024, 12, 2, 31, 23, 59, 58, 999});
    fake::SetLocalTimeOffset(60);
    EXPECT_NE(List("").find("2025-01-01 00:59:58\r\n"), std::string::npos);
    EXPECT_NE(List("/U").find("2024-12-31 23:59:58\r\n"), std::string::npos);
    EXPECT_NE(List("/u").find("2024-12-31 23:59:58\r\n"), std::string::npos);
    fake::SetLocalTimeOffset(-300);
    EXPECT_NE(List("").find("2024-12-31 18:59:58\r\n"), std::string::npos);
    fake::SetLocalTimeFails(true);
    EXPECT_NE(List("").find("  0000-00-00 00:00:00\r\n"), std::string::npos);
}

TEST_F(BBList, SizesAroundOneMebibyte) {
    Allocate(0x00A00000, 1048575);
    Allocate(0x00C00000, 1048576);
    Allocate(0x00E00000, 1048577);
    Allocate(0x01000000, 12345678);
    EXPECT_EQ(List("/o:-s"),
              kHeader + Z + "01000000     12,345,678    11.77 MB  2024-03-15 12:34:56\r\n" + Z +
                  "00E00000      1,048,577     1.00 MB  2024-03-15 12:34:56\r\n" + Z +
                  "00C00000      1,048,576     1.00 MB  2024-03-15 12:34:56\r\n" + Z +
                  "00A00000      1,048,575  1024.00 kB  2024-03-15 12:34:56\r\n" +
                  "\r\n4 buffers.\r\n");
}

TEST_F(BBList, ErrorsAreReportedAndNothingIsListed) {
    Allocate(0x00A41000, 100);
    struct Case {
        const char* options;
        const char* message;
    };
    const Case cases[] = {
        {"/x /?", "Unknown option: \"/X\""},
        {"/bx", "Unknown option: \"/BX\""},
        {"/utc", "Unknown option: \"/UTC\""},
        {"/b /q", "Unknown option: \"/Q\""},
        {"list", "Syntax error: \"LIST\""},
        {"/b list", "Syntax error: \"LIST\""},
        {"/o:x", "Bad sort key: /O:X"},
        {"/O:ax", "Bad sort key: /O:X"},
        {"/ox", "Bad sort key: /O:X"},
        {"/o=-q", "Bad sort key: /O:Q"},
        {"/o:a.", "Bad sort key: /O:."},
        {"/p:5x", "Syntax error: \"/P:5X\""},
        {"/p:,1001", "Pause lines must be 0 - 1000: 1001"},
        {"/p:4294968", "Bad pause time: \"/P:4294968\""},
        {"/p:99999999999m", "Bad pause time: \"/P:99999999999M\""},
        {"/p:,99999999999", "Bad pause lines: \"/P:,99999999999\""},
        {"/pause", "Syntax error: \"/PAUSE\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(List(c.options), "") << c.options;
        EXPECT_EQ(fake::StdErr(), std::string("Korvanite plugin: ") + c.message + "\r\n")
            << c.options;
        EXPECT_EQ(Result(), 1) << c.options;
    }
}

TEST_F(BBList, UsageAndSortKeyHelp) {
    Allocate(0x00A41000, 100);
    const std::string usage =
        "List currently allocated binary buffers.\n\nBBLIST /B /O: /P \r\n\n\t/B\tbare "
        "bones\n\t/O:\tsort buffers \t\t/O? for more info\n\t/P\tpage output\n\nOnly binary "
        "buffers created while this plugin is loaded \ncan be listed. \n";
    EXPECT_EQ(List("/?"), usage);
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(List("/b /?x /o:x"), usage);
    const std::string versions = usage + "\r\n\t\t\t\tKorvanite  " + PluginVersionText(4) + " (" +
                                 text::ToUtf8(plugin::kPlatform) +
                                 ")\r\n"
                                 "\t\t\t\tBBListCmd  0.93.0.0\r\n";
    EXPECT_EQ(List("/??"), versions);
    // The module's lines do not depend on the system's converting them.
    fake::PlanFault(fake::Call::CodePage, 1, fake::kUsualCode, fake::kEveryCall);
    EXPECT_EQ(List("/??"), versions);
    fake::ClearFaults();
    const std::string help = "BBLIST /O:  \xE2\x80\x94 sort buffers\n\n\tA\tby address "
                             "(handle)\n\tS\tby size\n\tT\tby creation time\n\t-\treverse the "
                             "following key\n";
    for (const char* options : {"/O?", "/o:?", "/OA?", "/o:x?", "/b /o?"}) {
        EXPECT_EQ(List(options), help) << options;
        EXPECT_EQ(Result(), 0);
    }
    EXPECT_EQ(bblist(nullptr), 87);
}

TEST_F(BBList, PagesStopAtEsc) {
    for (uint32_t i = 0; i < 30; ++i) Allocate(0x01000000 + i * 0x10000, 64);
    fake::SetIsConsole(sys::StdStream::Output, true);
    fake::QueueKeys(u"\x1b");
    const std::string out = List("/p");
    EXPECT_EQ(Result(), 3);
    // 23 line ends on a page of 25 rows: the empty line, the titles, the underline, 20 rows.
    EXPECT_NE(out.find("01130000"), std::string::npos);
    EXPECT_EQ(out.find("01140000"), std::string::npos);
    EXPECT_EQ(out.find("buffers."), std::string::npos);
    EXPECT_FALSE(fake::ControlHandlerInstalled());
    EXPECT_EQ(CtrlHandlerInstalled, 0);
}

TEST_F(BBList, PagesGoOnWithAKey) {
    for (uint32_t i = 0; i < 30; ++i) Allocate(0x01000000 + i * 0x10000, 64);
    fake::SetIsConsole(sys::StdStream::Output, true);
    fake::QueueKeys(u"  x");
    EXPECT_NE(List("/p:,10").find("\r\n30 buffers.\r\n"), std::string::npos);
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(fake::QueuedKeys(), 0u);
    EXPECT_EQ(fake::KeyReadsWithoutKey(), 0);
    // Prompts after 10, 20 and 30 line ends, each answered by a key that gives a full page.
    const std::string device = fake::ConsoleDeviceText();
    size_t prompts = 0;
    for (size_t at = device.find("Press a key"); at != std::string::npos;
         at = device.find("Press a key", at + 1))
        ++prompts;
    EXPECT_EQ(prompts, 3u);
}

TEST_F(BBList, CtrlCWhileRowsAreWrittenStopsWithTheMark) {
    for (uint32_t i = 0; i < 10; ++i) Allocate(0x01000000 + i * 0x10000, 64);
    fake::SetIsConsole(sys::StdStream::Output, true);
    fake::RaiseControlEventAtWrite(sys::kCtrlCEvent, 10);
    const std::string out = List("");
    EXPECT_EQ(Result(), 3);
    EXPECT_NE(fake::ConsoleDeviceText().find("\r ^C \n"), std::string::npos);
    EXPECT_EQ(out.find("buffers."), std::string::npos);
    EXPECT_FALSE(fake::ControlHandlerInstalled());
}

TEST_F(BBList, RedirectedOutputIsNeitherPagedNorColoured) {
    for (uint32_t i = 0; i < 30; ++i) Allocate(0x01000000 + i * 0x10000, 64);
    EXPECT_TRUE(sys::SetEnv(u"Highlight", u"0x4E"));
    EXPECT_NE(List("/p").find("\r\n30 buffers.\r\n"), std::string::npos);
    EXPECT_EQ(fake::ConsoleDeviceText(), "");
    EXPECT_EQ(NormalAttr, 0);
}

TEST_F(BBList, UnloadRemovesTheControlHandler) {
    InstallCtrlHandler();
    EXPECT_TRUE(fake::ControlHandlerInstalled());
    host::UnloadPlugin(session, 1);
    EXPECT_FALSE(fake::ControlHandlerInstalled());
    EXPECT_EQ(CtrlHandlerInstalled, 0);
}

TEST_F(BBList, AHandlerThatCannotBeAddedOrRemovedIsNeverLostTrackOf) {
    Allocate(0x00A41000, 100);
    // Not added: the listing runs without it, and nothing claims it is there.
    fake::PlanFault(fake::Call::ControlHandler);
    EXPECT_NE(List("").find("1 buffer."), std::string::npos);
    EXPECT_EQ(CtrlHandlerInstalled, 0);
    // Not removed: it stays known as installed until a later removal takes it away, at the
    // latest at unload, so that it never outlives the library.
    fake::PlanFault(fake::Call::ControlHandler, 2);
    EXPECT_NE(List("").find("1 buffer."), std::string::npos);
    EXPECT_TRUE(fake::ControlHandlerInstalled());
    EXPECT_EQ(CtrlHandlerInstalled, 1);
    host::UnloadPlugin(session, 1);
    EXPECT_FALSE(fake::ControlHandlerInstalled());
}

} // namespace
