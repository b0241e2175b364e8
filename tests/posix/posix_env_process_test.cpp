// The native environment keeps Windows' rules: names in any case, GetEnvironmentVariableW's
// return convention, and a set that replaces every spelling of the name. Also time.
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "sys/sys.h"

namespace {

class PosixEnvironment : public ::testing::Test {
protected:
    void TearDown() override {
        for (const char* name : {"KV_TEST_VAR", "kv_test_var", "Kv_Test_Var", "KV_MIXED",
                                 "kv_mixed", "Kv_Mixed", "ÄBC_KV", "äbc_kv"})
            unsetenv(name);
    }
};

TEST_F(PosixEnvironment, LookupIgnoresCase) {
    ASSERT_TRUE(sys::SetEnv(u"Kv_Test_Var", u"value"));
    for (const char16_t* name : {u"KV_TEST_VAR", u"kv_test_var", u"Kv_Test_Var", u"kV_tEsT_vAr"}) {
        char16_t out[16] = {};
        EXPECT_EQ(sys::GetEnv(name, out, 16), 5u);
        EXPECT_EQ(std::u16string(out), u"value");
    }
    // Changes made outside once the name is known here are seen all the same.
    unsetenv("Kv_Test_Var");
    EXPECT_EQ(sys::GetEnv(u"kv_test_var", nullptr, 0), 0u);
    setenv("KV_MIXED", "theirs", 1);
    EXPECT_EQ(sys::GetEnv(u"kv_mixed", nullptr, 0), 7u);
}

TEST_F(PosixEnvironment, ReturnFollowsGetEnvironmentVariable) {
    ASSERT_TRUE(sys::SetEnv(u"KV_TEST_VAR", u"value"));
    struct Case {
        uint32_t capacity;
        uint32_t result;
        std::u16string written;
    };
    const Case cases[] = {
        {64, 5, u"value"}, // fits
        {6, 5, u"value"},  // fits exactly with its terminator
        {5, 6, u"#####"},  // one short: the size needed, nothing written
        {1, 6, u"#####"},  {0, 6, u"#####"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        char16_t out[64];
        std::fill(std::begin(out), std::end(out), u'#');
        out[5] = 0;
        EXPECT_EQ(sys::GetEnv(u"kv_test_var", out, c.capacity), c.result);
        EXPECT_EQ(std::u16string(out), c.written);
    }
    EXPECT_EQ(sys::GetEnv(u"KV_TEST_VAR", nullptr, 0), 6u);
    EXPECT_EQ(sys::GetEnv(u"KV_NOT_SET_ANYWHERE", nullptr, 0), 0u);
}

TEST_F(PosixEnvironment, SettingReplacesEverySpelling) {
    setenv("KV_MIXED", "upper", 1);
    setenv("kv_mixed", "lower", 1);
    ASSERT_TRUE(sys::SetEnv(u"Kv_Mixed", u"new"));
    EXPECT_EQ(getenv("KV_MIXED"), nullptr);
    EXPECT_EQ(getenv("kv_mixed"), nullptr);
    ASSERT_NE(getenv("Kv_Mixed"), nullptr);
    EXPECT_STREQ(getenv("Kv_Mixed"), "new");
}

TEST_F(PosixEnvironment, NullOrEmptyValueRemoves) {
    for (const char16_t* removal : {static_cast<const char16_t*>(nullptr), u""}) {
        setenv("KV_MIXED", "upper", 1);
        setenv("kv_mixed", "lower", 1);
        EXPECT_TRUE(sys::SetEnv(u"KV_MIXED", removal));
        EXPECT_EQ(getenv("KV_MIXED"), nullptr);
        EXPECT_EQ(getenv("kv_mixed"), nullptr);
        EXPECT_EQ(sys::GetEnv(u"KV_MIXED", nullptr, 0), 0u);
    }
    EXPECT_TRUE(sys::SetEnv(u"KV_MIXED", nullptr)); // removing what is not there is fine
}

TEST_F(PosixEnvironment, RejectsNamesWindowsRejects) {
    EXPECT_FALSE(sys::SetEnv(u"", u"x"));
    EXPECT_FALSE(sys::SetEnv(u"A=B", u"x"));
    EXPECT_FALSE(sys::SetEnv(nullptr, u"x"));
    EXPECT_EQ(sys::GetEnv(u"", nullptr, 0), 0u);
    EXPECT_EQ(sys::GetEnv(nullptr, nullptr, 0), 0u);
}

TEST_F(PosixEnvironment, TextIsUnicodeInNamesAndValues) {
    ASSERT_TRUE(sys::SetEnv(u"ÄBC_KV", u"Grüße €"));
    ASSERT_NE(getenv("ÄBC_KV"), nullptr);
    EXPECT_STREQ(getenv("ÄBC_KV"), "Grüße €");
    char16_t out[16] = {};
    EXPECT_EQ(sys::GetEnv(u"äbc_kv", out, 16), 7u);
    EXPECT_EQ(std::u16string(out), u"Grüße €");
}

TEST(PosixProcess, ProcessIdIsTheRealOne) {
    EXPECT_EQ(sys::ProcessId(), static_cast<uint32_t>(getpid()));
}

TEST(PosixProcess, SleepMovesTheTickCountAtLeastThatFar) {
    uint32_t before = sys::TickCount();
    sys::SleepMillis(20);
    uint32_t elapsed = sys::TickCount() - before;
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 5000u);
}

} // namespace
