// The native registry and clock: one tree in the shared system library that threads may use at
// once, and the time of day in UTC.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "sys/sys.h"

namespace {

sys::RegistryKey User() {
    return sys::RegistryRootKey(sys::RegistryRoot::CurrentUser);
}

int CountValues(sys::RegistryKey key) {
    int count = 0;
    for (uint32_t index = 0;; ++index) {
        char16_t name[64];
        uint32_t nameLength = 64;
        if (sys::EnumRegistryValue(key, index, name, &nameLength, nullptr, nullptr, nullptr) !=
            sys::kRegOk)
            return count;
        ++count;
    }
}

TEST(PosixRegistry, KeysAndValuesLiveInTheProcess) {
    sys::RegistryKey settings = nullptr;
    ASSERT_EQ(sys::CreateRegistryKey(User(), u"SOFTWARE\\PosixTest", sys::KeyLifetime::Ordinary,
                                     &settings),
              sys::kRegOk);
    sys::RegistryKey process = nullptr;
    ASSERT_EQ(sys::CreateRegistryKey(settings, u"00000001", sys::KeyLifetime::Volatile, &process),
              sys::kRegOk);
    sys::CloseRegistryKey(settings);

    const unsigned char record[24] = {0x00, 0x10, 0xA4, 0x00, 0x40};
    ASSERT_EQ(sys::SetRegistryValue(process, u"6egao", sys::kRegBinary, record, sizeof record),
              sys::kRegOk);
    sys::RegistryKey reader = nullptr;
    ASSERT_EQ(sys::OpenRegistryKey(User(), u"software\\posixtest\\00000001", &reader), sys::kRegOk);
    unsigned char read[24] = {};
    uint32_t size = sizeof read;
    uint32_t type = 0;
    EXPECT_EQ(sys::QueryRegistryValue(reader, u"6EGAO", &type, read, &size), sys::kRegOk);
    EXPECT_EQ(type, sys::kRegBinary);
    EXPECT_EQ(size, 24u);
    EXPECT_EQ(read[2], 0xA4);
    sys::CloseRegistryKey(reader);
    sys::CloseRegistryKey(process);

    EXPECT_EQ(sys::DeleteRegistryKey(User(), u"SOFTWARE\\PosixTest\\00000001"), sys::kRegOk);
    EXPECT_EQ(sys::OpenRegistryKey(User(), u"SOFTWARE\\PosixTest\\00000001", &reader),
              sys::kRegNotFound);
}

TEST(PosixRegistry, ThreadsMayWriteAtOnce) {
    sys::RegistryKey key = nullptr;
    ASSERT_EQ(
        sys::CreateRegistryKey(User(), u"SOFTWARE\\PosixThreads", sys::KeyLifetime::Volatile, &key),
        sys::kRegOk);
    constexpr int kThreads = 4;
    constexpr int kValuesEach = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([key, t] {
            for (int i = 0; i < kValuesEach; ++i) {
                std::u16string name = u"t" + std::u16string(1, char16_t(u'a' + t));
                for (char c : std::to_string(i)) name.push_back(char16_t(c));
                EXPECT_EQ(sys::SetRegistryValue(key, name.c_str(), sys::kRegDword, &i, sizeof i),
                          sys::kRegOk);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(CountValues(key), kThreads * kValuesEach);
    sys::CloseRegistryKey(key);
    EXPECT_EQ(sys::DeleteRegistryKey(User(), u"SOFTWARE\\PosixThreads"), sys::kRegOk);
}

TEST(PosixSystemTime, IsTheTimeOfDayInUtc) {
    const std::time_t before = std::time(nullptr);
    const sys::SystemTime now = sys::SystemTimeUtc();
    const std::time_t after = std::time(nullptr);
    EXPECT_LE(now.milliseconds, 999);
    std::tm fields{};
    fields.tm_year = now.year - 1900;
    fields.tm_mon = now.month - 1;
    fields.tm_mday = now.day;
    fields.tm_hour = now.hour;
    fields.tm_min = now.minute;
    fields.tm_sec = now.second;
    const std::time_t seconds = timegm(&fields);
    // time() may read a coarser clock: allow it a second either way.
    EXPECT_GE(seconds, before - 1);
    EXPECT_LE(seconds, after + 1);
    EXPECT_EQ(now.dayOfWeek, fields.tm_wday); // timegm worked out the day of the week
}

} // namespace
