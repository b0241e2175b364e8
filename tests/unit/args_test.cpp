// Splitting argument texts: one table per splitting rule, then the pool and table limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake/fake_sys.h"
#include "frame/args.h"
#include "text/u16.h"

namespace {

constexpr unsigned kCommas = ArgCommas;
constexpr unsigned kValues = ArgCommas | ArgUpperCase;
constexpr unsigned kList = ArgBlanks | ArgSlashOptions;
constexpr unsigned kDump = ArgBlanks | ArgSlashOptions | ArgBracketGroups;

struct SplitCase {
    unsigned options;
    std::u16string text;
    std::vector<std::u16string> args;
};

std::string Show(const std::u16string& s) {
    return "\"" + text::ToUtf8(s) + "\"";
}

// What was written to standard error since the last look.
std::string TakeStdErr() {
    std::string written = fake::StdErr();
    fake::ClearOutput();
    return written;
}

class SplitArgumentsTest : public ::testing::Test {
protected:
    void SetUp() override { fake::Reset(); }
};

// The split must give exactly the expected arguments, each terminated at its length.
void ExpectSplit(const SplitCase& c) {
    SCOPED_TRACE("text " + Show(c.text));
    ASSERT_EQ(SplitArguments(c.options, c.text.c_str()), static_cast<int>(c.args.size()));
    ASSERT_EQ(ArgTable.ArgCount, static_cast<int>(c.args.size()));
    for (size_t i = 0; i < c.args.size(); ++i) {
        EXPECT_EQ(Show(ArgText(i)), Show(c.args[i])) << "argument " << i;
        EXPECT_EQ(ArgLength(i), static_cast<int>(c.args[i].size())) << "argument " << i;
    }
    EXPECT_EQ(TakeStdErr(), "");
}

void ExpectSplits(const std::vector<SplitCase>& cases) {
    for (const SplitCase& c : cases) ExpectSplit(c);
}

TEST_F(SplitArgumentsTest, Commas) {
    ExpectSplits({
        {kCommas, u"", {}},
        {kCommas, u"   ", {}},
        {kCommas, u"a", {u"a"}},
        {kCommas, u"a,b", {u"a", u"b"}},
        {kCommas, u"a,,b", {u"a", u"", u"b"}},
        {kCommas, u"a,", {u"a"}},
        {kCommas, u"a,b, ", {u"a", u"b"}},
        {kCommas, u",a", {u"", u"a"}},
        {kCommas, u",", {u""}},
        {kCommas, u",,", {u"", u""}},
        {kCommas, u"a , b", {u"a", u"b"}},
        {kCommas, u"\t a \t,\t b \t", {u"a", u"b"}},
        {kCommas, u"a b", {u"a b"}},
        {kCommas, u"x, y", {u"x", u"y"}},
        {kCommas, u"a,b,c,d", {u"a", u"b", u"c", u"d"}},
    });
}

TEST_F(SplitArgumentsTest, Quotes) {
    ExpectSplits({
        {kCommas, u"\"a,b\",c", {u"a,b", u"c"}},
        {kCommas, u"a\"b\"c", {u"abc"}},
        {kCommas, u"a,\"\",b", {u"a", u"", u"b"}},
        {kCommas, u"\" a\"", {u" a"}},
        // Trailing white space goes even when it was quoted; the argument still counts.
        {kCommas, u"\"a  \",b", {u"a", u"b"}},
        {kCommas, u"a,\" \"", {u"a", u""}},
        {kCommas, u"\"a,b", {u"a,b"}},
        {kCommas, u"a\"", {u"a"}},
        {kList, u"\"a b\" c", {u"a b", u"c"}},
    });
}

TEST_F(SplitArgumentsTest, QuotedTextsKeepTheirBlanksAndAreKnownAsQuoted) {
    constexpr unsigned kTexts = ArgCommas | ArgQuotedTexts;
    ExpectSplits({
        {kTexts, u"\" a, b \" ,c", {u" a, b ", u"c"}},
        {kTexts, u"\"a \" b  ,x\" \"\t", {u"a  b", u"x "}}, // blanks after the quotes still go
    });
    const bool quoted[] = {true, false, false, true};
    EXPECT_EQ(SplitArguments(kTexts, u"\"0x41\",0x41,,a\"\"b"), 4);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ArgQuoted(i), i < 4 && quoted[i]) << i;
}

TEST_F(SplitArgumentsTest, UpperCase) {
    ExpectSplits({
        {kValues, u"\"x, y\"", {u"X, Y"}},
        {kValues, u"0xab,ff , 1q", {u"0XAB", u"FF", u"1Q"}},
        {kCommas, u"0xab", {u"0xab"}},
    });
}

TEST_F(SplitArgumentsTest, BlanksAndSlashOptions) {
    ExpectSplits({
        {kList, u"a  b\tc", {u"a", u"b", u"c"}},
        {kList, u"/a/b z", {u"/a", u"/b", u"z"}},
        {kList, u"/a/b/c", {u"/a", u"/b", u"/c"}},
        {kList, u"//", {u"//"}},
        {kList, u"/ab", {u"/ab"}},
        {kList, u"dir/file", {u"dir/file"}},
        {kList, u"/u:ab://x/y", {u"/u:ab://x/y"}},
        {kList, u"/u:http://x/y/z q", {u"/u:http://x/y/z", u"q"}},
        // "://" only counts after a letter, and only with both slashes.
        {kList, u"/x:1://y", {u"/x:1:", u"//y"}},
        {kList, u"/a:/b", {u"/a:", u"/b"}},
        // An address stops counting at the end of its argument.
        {kList, u"/u:a://b /c/d", {u"/u:a://b", u"/c", u"/d"}},
        {kList, u"/a\"/\"b", {u"/a/b"}},
        {ArgBlanks, u"/a/b", {u"/a/b"}},
        {ArgSlashOptions, u"/a/b c", {u"/a", u"/b c"}},
    });
}

TEST_F(SplitArgumentsTest, BracketGroups) {
    ExpectSplits({
        {kDump, u"/[!a b] z", {u"/[!a b]", u"z"}},
        {kDump, u"/[!\"a\" b] z", {u"/[!\"a\" b]", u"z"}},
        {kDump, u"/[!a \"] b\"] z", {u"/[!a \"] b\"]", u"z"}},
        {kDump, u"/[!a] b", {u"/[!a]", u"b"}},
        {kDump, u"/[!a b", {u"/[!a b"}},
        {kDump, u"/[!a/b c]", {u"/[!a", u"/b", u"c]"}},
        {kDump, u"/x/[!a b]", {u"/x", u"/[!a b]"}},
        {kDump, u"x/[!a b]", {u"x/[!a", u"b]"}},
        {kDump, u"/[a b]", {u"/[a", u"b]"}},
        {kList, u"/[!a b] z", {u"/[!a", u"b]", u"z"}},
    });
}

TEST_F(SplitArgumentsTest, NullTextFails) {
    EXPECT_EQ(SplitArguments(kCommas, nullptr), -1);
    EXPECT_EQ(ArgTable.ArgCount, 0);
}

TEST_F(SplitArgumentsTest, EverySplitDiscardsThePrevious) {
    ASSERT_EQ(SplitArguments(kCommas, u"a,b,c"), 3);
    ASSERT_EQ(SplitArguments(kCommas, u""), 0);
    EXPECT_EQ(ArgLength(0), 0);
    EXPECT_EQ(std::u16string(ArgText(0)), u"");
    EXPECT_FALSE(ArgGiven(0));
}

TEST_F(SplitArgumentsTest, IndexesOutsideTheTableReadAsNotGiven) {
    ASSERT_EQ(SplitArguments(kCommas, u"a,,b"), 3);
    EXPECT_TRUE(ArgGiven(0));
    EXPECT_FALSE(ArgGiven(1));
    EXPECT_TRUE(ArgGiven(2));
    for (int index : {-1, 3, kArgMaxCount, kArgMaxCount + 5}) {
        EXPECT_FALSE(ArgGiven(index));
        EXPECT_EQ(std::u16string(ArgText(index)), u"");
    }
}

TEST_F(SplitArgumentsTest, ArgumentsMayBeChangedInPlace) {
    ASSERT_EQ(SplitArguments(kCommas, u"ab,cd"), 2);
    ArgText(0)[0] = u'A';
    EXPECT_EQ(std::u16string(ArgText(0)), u"Ab");
    EXPECT_EQ(std::u16string(ArgText(1)), u"cd");
}

const std::string kOverflowMessage =
    "Korvanite plugin: Buffer overflow: b = 8192, MAX_ARG_LEN = 8192 \r\n";

std::u16string Repeat(const std::u16string& s, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i) out += s;
    return out;
}

TEST_F(SplitArgumentsTest, PoolHoldsExactlyItsSize) {
    // One argument of 8191 characters and its terminator fill the pool.
    const std::u16string longest(kArgPoolUnits - 1, u'x');
    ASSERT_EQ(SplitArguments(kCommas, longest.c_str()), 1);
    EXPECT_EQ(ArgLength(0), kArgPoolUnits - 1);
    EXPECT_EQ(ArgText(0)[kArgPoolUnits - 1], 0);

    // Four arguments of 2047 characters: 4 * 2048 positions.
    const std::u16string quarter(2047, u'q');
    const std::u16string four = quarter + u"," + quarter + u"," + quarter + u"," + quarter;
    ASSERT_EQ(SplitArguments(kCommas, four.c_str()), 4);
    EXPECT_EQ(ArgLength(3), 2047);
    EXPECT_EQ(TakeStdErr(), "");
}

TEST_F(SplitArgumentsTest, PoolOverflowFails) {
    const std::u16string quarter(2047, u'q');
    const std::u16string four = quarter + u"," + quarter + u"," + quarter + u"," + quarter;
    const std::vector<std::u16string> texts = {
        std::u16string(kArgPoolUnits, u'x'),
        four + u"z",
        // A full pool has no room for the terminator of a next argument, even an empty one.
        four + u",",
        Repeat(u"abcdefgh,", 1000),
    };
    for (const std::u16string& t : texts) {
        ASSERT_EQ(SplitArguments(ArgCommas, t.c_str()), -1) << t.size();
        EXPECT_EQ(ArgTable.ArgCount, 0);
        EXPECT_EQ(TakeStdErr(), kOverflowMessage);
    }
}

TEST_F(SplitArgumentsTest, ArgumentsBeyondTheTableAreDropped) {
    ASSERT_EQ(SplitArguments(kCommas, Repeat(u"ab,", 1030).c_str()), kArgMaxCount);
    EXPECT_EQ(std::u16string(ArgText(kArgMaxCount - 1)), u"ab");

    // Dropped arguments take no pool room however long they are.
    const std::u16string text = Repeat(u"a,", kArgMaxCount) + std::u16string(20000, u'z');
    ASSERT_EQ(SplitArguments(kCommas, text.c_str()), kArgMaxCount);
    EXPECT_EQ(std::u16string(ArgText(kArgMaxCount - 1)), u"a");
    EXPECT_EQ(TakeStdErr(), "");

    // The last slot is a full argument.
    const std::u16string last = Repeat(u"a,", kArgMaxCount - 1) + u"last";
    ASSERT_EQ(SplitArguments(kCommas, last.c_str()), kArgMaxCount);
    EXPECT_EQ(std::u16string(ArgText(kArgMaxCount - 1)), u"last");
}

} // namespace
