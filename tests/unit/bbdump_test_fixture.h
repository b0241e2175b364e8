// BBDUMP bound to the host engine in one process over the fake backend: buffers with chosen
// bytes at known addresses, and a call of the command that gives back its result and its output.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "commands/bbdump.h"
#include "fake/fake_sys.h"
#include "frame/exports.h"
#include "frame/numbers.h"
#include "plugin/plugin_loader.h"
#include "runner/line_runner.h"
#include "session/session.h"
#include "store_test_fixture.h"
#include "sys/sys.h"
#include "text/u16.h"
#include "unit/plugin_exports.h"

namespace dumptest {

// What one command call left behind.
struct Outcome {
    int result;
    std::string out;
    std::string err;
};

class DumpFixture : public AttachedPluginTest {
public:
    // A heap block holding `bytes` (a block of one zero byte for none); its handle as text.
    static std::u16string Buffer(std::string_view bytes, size_t size = 0) {
        if (size == 0) size = bytes.empty() ? 1 : bytes.size();
        void* block = sys::HeapAllocZeroed(size);
        EXPECT_NE(block, nullptr);
        if (block == nullptr) return u"0";
        std::memcpy(block, bytes.data(), std::min(size, bytes.size()));
        return text::FromUtf8(storetest::HandleText(AddressOf(block)));
    }

    // The command with `arguments`, as the host calls it.
    static Outcome Dump(std::u16string_view arguments) {
        fake::ClearOutput();
        std::u16string buffer(kHostExpandCapacity, u'\0');
        buffer.replace(0, arguments.size(), arguments);
        const int result = bbdump(AsHost(buffer.data()));
        return Outcome{result, fake::StdOut(), fake::StdErr()};
    }
};

// The error report's prefix outside a batch file.
inline std::string Message(std::string_view text) {
    return "Korvanite plugin: " + std::string(text) + "\r\n";
}

} // namespace dumptest
