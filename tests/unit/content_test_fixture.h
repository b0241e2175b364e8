// The content features over the fake backend: buffers made through @BALLOC, their bytes, and
// the error line a refused call leaves.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "store_test_fixture.h"
#include "text/u16.h"

namespace contenttest {

class ContentFixture : public storetest::StoreFixture {
protected:
    // A new buffer of `size` bytes; its handle as @BALLOC gives it.
    static std::u16string NewBuffer(uint32_t size) {
        const storetest::Call call = Invoke(f_balloc, text::FromUtf8(std::to_string(size)));
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.text.size(), size_t{kHandleDigits});
        return text::FromUtf8(call.text);
    }

    static BufferAddress AddressOf(const std::u16string& handle) {
        return storetest::AddressOfHandle(text::ToUtf8(handle));
    }

    static uint8_t* Memory(const std::u16string& handle) { return BufferAt(AddressOf(handle)); }

    static std::vector<uint8_t> Contents(const std::u16string& handle, uint32_t size) {
        const uint8_t* bytes = Memory(handle);
        return std::vector<uint8_t>(bytes, bytes + size);
    }

    static void SetContents(const std::u16string& handle, const std::vector<uint8_t>& bytes) {
        std::copy(bytes.begin(), bytes.end(), Memory(handle));
    }

    // What standard error holds after one refused call outside a batch file.
    static std::string ErrorLine(const std::string& message) {
        return "Korvanite plugin: " + message + "\r\n";
    }
};

} // namespace contenttest
