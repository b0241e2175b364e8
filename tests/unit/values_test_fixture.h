// The typed value functions through their exports, over the fake backend: buffers with chosen
// bytes, and calls whose argument text starts with such a buffer's handle.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "store_test_fixture.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace valuestest {

class ValuesFixture : public storetest::StoreFixture {
protected:
    // A heap block the host knows, holding `bytes` and then zeros up to `size`.
    static uint32_t NewBuffer(size_t size, const std::vector<uint8_t>& bytes = {}) {
        void* block = sys::HeapAllocZeroed(size);
        EXPECT_NE(block, nullptr);
        if (block == nullptr) return 0;
        const size_t count = bytes.size() < size ? bytes.size() : size;
        if (count > 0) std::memcpy(block, bytes.data(), count);
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block));
    }

    static std::vector<uint8_t> Bytes(uint32_t address, size_t count) {
        const uint8_t* at = BufferAt(address);
        return std::vector<uint8_t>(at, at + count);
    }

    static std::u16string Handle(BufferAddress address) {
        return text::FromUtf8(storetest::HandleText(address));
    }

    // Calls `feature` with the handle of `address`, a comma and `rest`.
    static storetest::Call On(FeatureExport feature, uint32_t address, std::u16string_view rest) {
        return Invoke(feature, Handle(address) + u"," + std::u16string(rest));
    }

    // An error line as the unit tests see it (outside a batch file).
    static std::string Error(const std::string& message) {
        return "Korvanite plugin: " + message + "\r\n";
    }

    // A call that must be refused with `message`.
    struct Refusal {
        std::u16string argument;
        std::string message;
    };

    // Each call fails with -1 and its one message, keeps its argument text, and leaves the
    // bytes at `address` as `bytes`.
    static void ExpectRefused(FeatureExport feature, const std::vector<Refusal>& refusals,
                              uint32_t address, const std::vector<uint8_t>& bytes) {
        for (const Refusal& refusal : refusals) {
            SCOPED_TRACE(text::ToUtf8(refusal.argument));
            const storetest::Call call = Invoke(feature, refusal.argument);
            EXPECT_EQ(call.result, -1);
            EXPECT_EQ(fake::StdErr(), Error(refusal.message));
            EXPECT_EQ(call.text, text::ToUtf8(refusal.argument));
            EXPECT_EQ(Bytes(address, bytes.size()), bytes);
        }
    }
};

} // namespace valuestest
