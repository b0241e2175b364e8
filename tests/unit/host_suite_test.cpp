// The rules by which plughost --check judges a script test: the folder's forms, masked handles
// and times, the x64 reading of x86 transcripts, the first difference it reports, and the needs a
// script declares.
#include "check/check_needs.h"
#include "check/check_transcript.h"

#include <gtest/gtest.h>

namespace {

struct FolderCase {
    const char* given;
    const char* full;
    const char* printed;
    const char* expected;
};

TEST(HostCheck, TheFolderReadsScriptdirInEveryFormItIsPrinted) {
    const FolderCase cases[] = {
        // Under Wine: a relative folder, its full path on Z:, either separator, the drive in
        // either case.
        {"tests/scripts", "Z:\\work\\tests\\scripts", "Z:\\work\\tests\\scripts\\a.btm [3]",
         "%SCRIPTDIR%/a.btm [3]"},
        {"tests/scripts", "Z:\\work\\tests\\scripts", "z:/work/tests/scripts/a.btm",
         "%SCRIPTDIR%/a.btm"},
        {"tests/scripts", "Z:\\work\\tests\\scripts", "tests/scripts/a.btm", "%SCRIPTDIR%/a.btm"},
        {"tests/scripts", "Z:\\work\\tests\\scripts", "tests\\scripts\\a.btm", "%SCRIPTDIR%/a.btm"},
        // Only a path of its own: not inside a longer name or path.
        {"tests/scripts", "Z:\\work\\tests\\scripts", "mytests/scripts/a.btm",
         "mytests/scripts/a.btm"},
        {"tests/scripts", "Z:\\work\\tests\\scripts", "tests/scripts2/a.btm",
         "tests/scripts2/a.btm"},
        {"tests/scripts", "Z:\\work\\tests\\scripts", "other/tests/scripts/a",
         "other/tests/scripts/a"},
        {"doctored", "/tmp/w/doctored", "../doctored/a.btm", "../doctored/a.btm"},
        // Natively, and a Linux path that a Windows program prints on Wine's drive.
        {"/w/scripts/", "/w/scripts", "[/w/scripts/a.btm]", "[%SCRIPTDIR%/a.btm]"},
        {"/w/scripts", "/w/scripts", "Z:\\w\\scripts\\a.btm", "%SCRIPTDIR%/a.btm"},
        // On Windows.
        {"D:\\a\\repo\\tests\\scripts", "D:\\a\\repo\\tests\\scripts",
         "\"d:\\a\\repo\\tests\\scripts\\x.btm\" and D:/a/repo/tests/scripts",
         "\"%SCRIPTDIR%/x.btm\" and %SCRIPTDIR%"},
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(host::ReplaceFolder(c.printed, host::FolderForms(c.given, c.full)), c.expected)
            << c.given << " " << c.printed;
}

struct MaskCase {
    bool wide;
    const char* printed;
    const char* expected;
};

TEST(HostCheck, HandlesAndTimesAreMaskedOnlyInTheBuildsWidth) {
    const MaskCase cases[] = {
        {false, "0A1B2C3D and 12345678", "%HANDLE% and %HANDLE%"},
        {false, "x0A1B2C3Dy", "x%HANDLE%y"},
        {false, "123456789 0a1b2c3d 1234567", "123456789 0a1b2c3d 1234567"},
        {false, "made 2024-05-06 07:08:09.", "made %TIME%."},
        {true, "00007F27CD120040 0A1B2C3D", "%HANDLE% 0A1B2C3D"},
        // A handle with an empty upper half is what a cut to 32 bits prints: it must fail.
        {true, "000000000034D560", "000000000034D560"},
        {true, "0000000100000000 00000001000000000", "%HANDLE% 00000001000000000"},
    };
    for (const MaskCase& c : cases)
        EXPECT_EQ(host::MaskHandlesAndTimes(c.printed, c.wide), c.expected) << c.printed;
}

TEST(HostCheck, OnlyVersionLinesReadX64AndTheVersionIsTheBuilds) {
    EXPECT_EQ(host::AsWideTranscript("\t\tKorvanite  0.66.4.0 (x86)\r\n"),
              "\t\tKorvanite  0.66.4.0 (x64)\r\n");
    const std::string version = std::to_string(KV_VERSION_MAJOR) + "." +
                                std::to_string(KV_VERSION_MINOR) + "." +
                                std::to_string(KV_VERSION_PATCH);
    EXPECT_EQ(host::WithVersion("v%VERSION% loaded, %VERSION%.0 (%VERSION"),
              "v" + version + " loaded, " + version + ".0 (%VERSION");
    EXPECT_EQ(host::AsWideTranscript("(x86) 1.2.3 (x86) v0.66.4.0(x86)"),
              "(x86) 1.2.3 (x86) v0.66.4.0(x86)");
}

struct DifferenceCase {
    std::string expected;
    std::string actual;
    std::string report;
};

TEST(HostCheck, TheFirstDifferingLineIsReportedReadably) {
    const std::string longLine(100, 'x');
    const std::string shown(24, 'x');
    const DifferenceCase cases[] = {
        {"a\r\nb\r\n", "a\r\nb\r\n", ""},
        {"a\r\nb\r\nc\r\n", "a\r\nB\r\nC\r\n", "line 2: expected \"b\\r\", actual \"B\\r\""},
        {"a\n", "a\nb\n", "line 2: expected (nothing), actual \"b\""},
        {"a\n", "a", "line 1: expected \"a\", actual \"a\" (no line end)"},
        {"a\r\n", "a\n", "line 1: expected \"a\\r\", actual \"a\""},
        {"\x1B[0m\t\n", "\x1B[1m\t\n", "line 1: expected \"\\x1B[0m\\t\", actual \"\\x1B[1m\\t\""},
        {longLine + "1\n", longLine + "2\n",
         "line 1, column 101: expected \"..." + shown + "1\", actual \"..." + shown + "2\""},
    };
    for (const DifferenceCase& c : cases)
        EXPECT_EQ(host::FirstDifference(c.expected, c.actual), c.report) << c.actual;
}

TEST(HostCheck, NeedsAreDeclaredInTheLeadingComments) {
    const std::vector<std::u16string> lines = {
        u"rem env PLUGHOST_CLIPBOARD=ABC",
        u"rem needs clipboard",
        u"@REM needs  console help-viewer",
        u"rem needsclipboard",
        u"echo x",
        u"rem needs late",
    };
    EXPECT_EQ(host::DeclaredNeeds(lines),
              (std::vector<std::u16string>{u"clipboard", u"console", u"help-viewer"}));
}

} // namespace
