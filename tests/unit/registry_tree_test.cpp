// The in-memory registry that the native port and the fake backend share, through the seam's
// calls over the fake backend: the Windows rules the buffer records depend on, and the faults a
// test can switch on.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fake/fake_sys.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace {

class RegistryTree : public ::testing::Test {
protected:
    void SetUp() override { fake::Reset(); }
    void TearDown() override { fake::Reset(); }

    static sys::RegistryKey User() { return sys::RegistryRootKey(sys::RegistryRoot::CurrentUser); }

    // Creates a key below HKEY_CURRENT_USER; the test closes it.
    static sys::RegistryKey Create(const char16_t* path,
                                   sys::KeyLifetime lifetime = sys::KeyLifetime::Ordinary) {
        sys::RegistryKey key = nullptr;
        EXPECT_EQ(sys::CreateRegistryKey(User(), path, lifetime, &key), sys::kRegOk)
            << text::ToUtf8(path);
        return key;
    }

    static void SetText(sys::RegistryKey key, const char16_t* name, const std::string& bytes,
                        uint32_t type = sys::kRegBinary) {
        ASSERT_EQ(sys::SetRegistryValue(key, name, type, bytes.data(),
                                        static_cast<uint32_t>(bytes.size())),
                  sys::kRegOk);
    }

    // Every value as "name=type:data", in enumeration order.
    static std::vector<std::string> Values(sys::RegistryKey key) {
        std::vector<std::string> values;
        for (uint32_t index = 0;; ++index) {
            char16_t name[256];
            uint32_t nameLength = 256;
            uint32_t type = 0;
            char data[256];
            uint32_t size = sizeof data;
            uint32_t result =
                sys::EnumRegistryValue(key, index, name, &nameLength, &type, data, &size);
            if (result == sys::kRegNoMoreItems) break;
            EXPECT_EQ(result, sys::kRegOk);
            if (result != sys::kRegOk) break;
            EXPECT_EQ(nameLength, text::Length(name));
            values.push_back(text::ToUtf8(name) + "=" + std::to_string(type) + ":" +
                             std::string(data, size));
        }
        return values;
    }
};

TEST_F(RegistryTree, CreatesEveryKeyOnThePathAndFindsNamesInAnyCase) {
    sys::RegistryKey key = Create(u"SOFTWARE\\Maker\\Product");
    EXPECT_TRUE(fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser, u"software\\MAKER"));
    EXPECT_FALSE(fake::RegistryKeyExists(sys::RegistryRoot::LocalMachine, u"SOFTWARE"));
    SetText(key, u"Setting", "on");

    sys::RegistryKey opened = nullptr;
    ASSERT_EQ(sys::OpenRegistryKey(User(), u"software\\maker\\PRODUCT", &opened), sys::kRegOk);
    EXPECT_EQ(Values(opened), std::vector<std::string>{"Setting=3:on"});
    char data[8];
    uint32_t size = sizeof data;
    uint32_t type = 0;
    EXPECT_EQ(sys::QueryRegistryValue(opened, u"SETTING", &type, data, &size), sys::kRegOk);
    EXPECT_EQ(std::string(data, size), "on");

    sys::RegistryKey missing = &size;
    EXPECT_EQ(sys::OpenRegistryKey(User(), u"SOFTWARE\\Maker\\Other", &missing), sys::kRegNotFound);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(fake::OpenRegistryKeys(), 2u);
    sys::CloseRegistryKey(opened);
    sys::CloseRegistryKey(key);
    sys::CloseRegistryKey(User()); // a root needs no closing and survives it
    EXPECT_EQ(fake::OpenRegistryKeys(), 0u);
    EXPECT_TRUE(fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser, u"SOFTWARE\\Maker"));
}

TEST_F(RegistryTree, PathsWithEmptyKeyNamesAreRefused) {
    struct Case {
        const char16_t* path;
        uint32_t result;
    } cases[] = {
        {u"\\A", sys::kRegBadPath},
        {u"A\\\\B", sys::kRegBadPath},
        {u"A\\", sys::kRegOk}, // a trailing backslash is allowed
        {u"", sys::kRegOk},    // the parent itself
    };
    for (const Case& c : cases) {
        sys::RegistryKey key = nullptr;
        EXPECT_EQ(sys::CreateRegistryKey(User(), c.path, sys::KeyLifetime::Ordinary, &key),
                  c.result)
            << text::ToUtf8(c.path);
        EXPECT_EQ(key != nullptr, c.result == sys::kRegOk);
        sys::CloseRegistryKey(key);
    }
}

TEST_F(RegistryTree, AVolatileKeyHasOnlyVolatileSubKeysAndAnExistingKeyKeepsItsLifetime) {
    sys::RegistryKey parent = Create(u"Settings");
    sys::RegistryKey process = nullptr;
    ASSERT_EQ(sys::CreateRegistryKey(parent, u"00001234", sys::KeyLifetime::Volatile, &process),
              sys::kRegOk);
    EXPECT_TRUE(fake::IsVolatileKey(sys::RegistryRoot::CurrentUser, u"Settings\\00001234"));
    EXPECT_FALSE(fake::IsVolatileKey(sys::RegistryRoot::CurrentUser, u"Settings"));

    sys::RegistryKey child = nullptr;
    EXPECT_EQ(sys::CreateRegistryKey(process, u"Lasting", sys::KeyLifetime::Ordinary, &child),
              sys::kRegMustBeVolatile);
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(sys::CreateRegistryKey(process, u"Passing", sys::KeyLifetime::Volatile, &child),
              sys::kRegOk);
    sys::CloseRegistryKey(child);

    // Opening the volatile key again as ordinary leaves it volatile.
    sys::RegistryKey again = Create(u"Settings\\00001234", sys::KeyLifetime::Ordinary);
    EXPECT_TRUE(fake::IsVolatileKey(sys::RegistryRoot::CurrentUser, u"Settings\\00001234"));
    sys::CloseRegistryKey(again);
    sys::CloseRegistryKey(process);
    sys::CloseRegistryKey(parent);
}

TEST_F(RegistryTree, ValuesKeepTheirFirstPlaceAndDeletionClosesTheGap) {
    sys::RegistryKey key = Create(u"K");
    SetText(key, u"a", "1");
    SetText(key, u"b", "2");
    SetText(key, u"c", "3", sys::kRegString);
    SetText(key, u"B", "22", sys::kRegDword); // replaces b in its place, keeping b's name
    EXPECT_EQ(Values(key), (std::vector<std::string>{"a=3:1", "b=4:22", "c=1:3"}));
    // A place read again after a deletion before it names what stands there now.
    char16_t name[4];
    uint32_t length = 4;
    ASSERT_EQ(sys::EnumRegistryValue(key, 1, name, &length, nullptr, nullptr, nullptr),
              sys::kRegOk);
    EXPECT_EQ(sys::DeleteRegistryValue(key, u"A"), sys::kRegOk);
    length = 4;
    ASSERT_EQ(sys::EnumRegistryValue(key, 1, name, &length, nullptr, nullptr, nullptr),
              sys::kRegOk);
    EXPECT_EQ(std::u16string(name), u"c");
    EXPECT_EQ(sys::DeleteRegistryValue(key, u"a"), sys::kRegNotFound);
    EXPECT_EQ(Values(key), (std::vector<std::string>{"b=4:22", "c=1:3"}));
    SetText(key, nullptr, "default");
    SetText(key, u"empty", "");
    EXPECT_EQ(Values(key), (std::vector<std::string>{"b=4:22", "c=1:3", "=3:default", "empty=3:"}));
    sys::CloseRegistryKey(key);
}

TEST_F(RegistryTree, ShortBuffersGetMoreDataAndTheSizeNeeded) {
    sys::RegistryKey key = Create(u"K");
    SetText(key, u"name", std::string(24, 'x'));
    struct Case {
        uint32_t nameCapacity, dataCapacity;
        uint32_t result, size;
    } cases[] = {
        {5, 24, sys::kRegOk, 24},
        {4, 24, sys::kRegMoreData, 24},
        {5, 23, sys::kRegMoreData, 24},
        {5, 25, sys::kRegOk, 24},
    };
    for (const Case& c : cases) {
        char16_t name[8] = u"";
        uint32_t nameLength = c.nameCapacity;
        char data[32] = {};
        uint32_t size = c.dataCapacity;
        uint32_t type = 0;
        EXPECT_EQ(sys::EnumRegistryValue(key, 0, name, &nameLength, &type, data, &size), c.result)
            << c.nameCapacity << " " << c.dataCapacity;
        if (c.result == sys::kRegOk) {
            EXPECT_EQ(text::ToUtf8(name), "name");
            EXPECT_EQ(size, c.size);
        }
        if (c.dataCapacity < 24) {
            EXPECT_EQ(size, c.size);
        }
    }
    // Without a data buffer only the size is asked for.
    uint32_t size = 0;
    uint32_t type = 0;
    EXPECT_EQ(sys::QueryRegistryValue(key, u"name", &type, nullptr, &size), sys::kRegOk);
    EXPECT_EQ(size, 24u);
    EXPECT_EQ(type, sys::kRegBinary);
    char small[4];
    size = sizeof small;
    EXPECT_EQ(sys::QueryRegistryValue(key, u"name", &type, small, &size), sys::kRegMoreData);
    EXPECT_EQ(size, 24u);
    EXPECT_EQ(sys::QueryRegistryValue(key, u"none", &type, small, &size), sys::kRegNotFound);
    sys::CloseRegistryKey(key);
}

TEST_F(RegistryTree, DeletingAKeyEndsItsHandles) {
    sys::RegistryKey key = Create(u"A\\B");
    SetText(key, u"v", "1");
    EXPECT_EQ(sys::DeleteRegistryKey(User(), u"A"), sys::kRegAccessDenied); // has a sub-key
    EXPECT_EQ(sys::DeleteRegistryKey(User(), u"a\\b"), sys::kRegOk);
    EXPECT_EQ(sys::DeleteRegistryKey(User(), u"A\\B"), sys::kRegNotFound);
    EXPECT_FALSE(fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser, u"A\\B"));
    EXPECT_TRUE(fake::RegistryKeyExists(sys::RegistryRoot::CurrentUser, u"A"));

    char data[4];
    uint32_t size = sizeof data;
    EXPECT_EQ(sys::SetRegistryValue(key, u"v", sys::kRegBinary, "2", 1), sys::kRegKeyDeleted);
    EXPECT_EQ(sys::QueryRegistryValue(key, u"v", nullptr, data, &size), sys::kRegKeyDeleted);
    sys::CloseRegistryKey(key);

    // A key of the same name made afterwards is a new, empty key.
    sys::RegistryKey again = Create(u"A\\B");
    EXPECT_TRUE(Values(again).empty());
    sys::CloseRegistryKey(again);
    EXPECT_EQ(sys::DeleteRegistryKey(User(), u""), sys::kRegInvalidParameter);
}

TEST_F(RegistryTree, ReadOnlyAndUnknownHandlesCannotWrite) {
    sys::CloseRegistryKey(Create(u"K"));
    sys::RegistryKey reader = nullptr;
    ASSERT_EQ(sys::OpenRegistryKey(User(), u"K", &reader), sys::kRegOk);
    EXPECT_EQ(sys::SetRegistryValue(reader, u"v", sys::kRegBinary, "1", 1), sys::kRegAccessDenied);
    EXPECT_EQ(sys::DeleteRegistryValue(reader, u"v"), sys::kRegAccessDenied);
    sys::RegistryKey sub = nullptr;
    EXPECT_EQ(sys::CreateRegistryKey(reader, u"Sub", sys::KeyLifetime::Ordinary, &sub),
              sys::kRegAccessDenied);
    sys::CloseRegistryKey(reader);
    // A closed handle is no handle.
    EXPECT_EQ(sys::SetRegistryValue(reader, u"v", sys::kRegBinary, "1", 1), sys::kRegInvalidHandle);
}

TEST_F(RegistryTree, InjectedFaultsRefuseKeysAndValues) {
    sys::RegistryKey key = Create(u"K");
    fake::PlanFault(fake::Call::RegistryCreate, 1, fake::kUsualCode, fake::kEveryCall);
    sys::RegistryKey refused = &key;
    EXPECT_EQ(sys::CreateRegistryKey(User(), u"K", sys::KeyLifetime::Ordinary, &refused),
              sys::kRegAccessDenied);
    EXPECT_EQ(refused, nullptr);
    fake::ClearFaults();

    fake::PlanFault(fake::Call::RegistrySet, 1, sys::kRegAccessDenied, fake::kEveryCall);
    EXPECT_EQ(sys::SetRegistryValue(key, u"v", sys::kRegBinary, "1", 1), sys::kRegAccessDenied);
    fake::ClearFaults();
    EXPECT_TRUE(Values(key).empty());
    sys::CloseRegistryKey(key);
}

TEST_F(RegistryTree, TheClockStandsStillUntilSet) {
    sys::SystemTime now = sys::SystemTimeUtc();
    EXPECT_EQ(now.year, 2024);
    EXPECT_EQ(now.dayOfWeek, 5);
    EXPECT_EQ(now.milliseconds, 789);
    fake::SetSystemTime(sys::SystemTime{1999, 12, 5, 31, 23, 59, 59, 999});
    EXPECT_EQ(sys::SystemTimeUtc().year, 1999);
    EXPECT_EQ(sys::SystemTimeUtc().second, 59);
}

} // namespace
