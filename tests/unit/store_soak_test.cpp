// A few thousand buffers of random sizes allocated and freed in random order through the
// exports: after every step the records are exactly the live buffers, with their sizes, and the
// heap holds nothing else.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "store_test_fixture.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace {

class StoreSoak : public storetest::StoreFixture {
protected:
    // The buffers the model says are live: address to size.
    std::map<uint32_t, uint32_t> live;

    void ExpectRecordsMatchTheModel(int step) {
        std::set<std::pair<uint32_t, uint32_t>> expected(live.begin(), live.end());
        ASSERT_EQ(Records(), expected) << "step " << step;
        ASSERT_EQ(fake::LiveHeapBlocks(), live.size()) << "step " << step;
    }
};

TEST_F(StoreSoak, RecordsFollowTheLiveBuffersThroughThousandsOfSteps) {
    std::mt19937 random(20240315);
    constexpr int kSteps = 3000;
    int allocations = 0;
    int releases = 0;
    for (int step = 0; step < kSteps; ++step) {
        const unsigned choice = random() % 100;
        if (choice < 55 || live.empty()) {
            // Sizes as a batch file writes them: plain, in 1000s or 1024s, or as words.
            const uint32_t number = random() % 5000;
            static const std::pair<const char16_t*, uint32_t> kUnits[] = {
                {u"", 1}, {u"", 1}, {u"k", 1000}, {u"W", 2}, {u"KB", 1024}};
            const auto& [unit, factor] = kUnits[random() % std::size(kUnits)];
            const uint32_t bytes = (number % (factor >= 1000 ? 20 : 5000)) * factor;
            std::u16string argument =
                text::FromUtf8(std::to_string(bytes / factor)) + std::u16string(unit);
            const storetest::Call call = Invoke(f_balloc, argument);
            ASSERT_EQ(call.result, 0) << text::ToUtf8(argument);
            const uint32_t address = static_cast<uint32_t>(std::stoul(call.text, nullptr, 16));
            ASSERT_NE(address, 0u);
            ASSERT_EQ(live.count(address), 0u) << "address handed out twice";
            live[address] = bytes == 0 ? 64 : bytes;
            ++allocations;
        } else if (choice < 98) {
            auto victim = live.begin();
            std::advance(victim, random() % live.size());
            char hex[16];
            std::snprintf(hex, sizeof hex, random() % 2 ? "%08X" : "%x", victim->first);
            std::u16string argument = text::FromUtf8(hex);
            if (random() % 4 == 0) argument += u",1";
            const storetest::Call call = Invoke(f_bfree, argument);
            ASSERT_EQ(call.result, 0) << text::ToUtf8(argument) << " " << fake::StdErr();
            ASSERT_EQ(call.text, "0");
            live.erase(victim);
            ++releases;
        } else {
            const storetest::Call call = Invoke(f_bfreeall, u"");
            ASSERT_EQ(call.text, std::to_string(live.size()));
            releases += static_cast<int>(live.size());
            live.clear();
        }
        ExpectRecordsMatchTheModel(step);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(allocations, 1000);
    EXPECT_GT(releases, 1000);
    EXPECT_EQ(fake::StdErr(), "");
}

} // namespace
