// The buffer store's exports bound to the host engine in one process over the fake backend, and
// helpers that call a feature export directly or read the per-process key.
#pragma once

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <utility>

#include "fake/fake_sys.h"
#include "frame/buffer_address.h"
#include "frame/exports.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/plugin_state.h"
#include "plugin/plugin_loader.h"
#include "runner/line_runner.h"
#include "session/session.h"
#include "store/buffer_registry.h"
#include "store/last_transfer.h"
#include "text/u16.h"
#include "unit/plugin_exports.h"

namespace storetest {

// The per-process key below HKEY_CURRENT_USER for the fake's default process id.
inline constexpr char16_t kProcessKeyPath[] = u"SOFTWARE\\RURoruved\\Korvanite\\00001234";

// The handle text of an address as the plug-in writes it (8 or 16 digits), and its address.
inline std::string HandleText(BufferAddress address) {
    char16_t text[kHandleTextCapacity];
    FormatHandle(text, kHandleTextCapacity, address);
    return text::ToUtf8(text);
}
// What a handle of the wide form has before the eight digits of a low address.
inline const std::string kHandleZeros(kHandleDigits - 8, '0');
inline BufferAddress AddressOfHandle(const std::string& handle) {
    return static_cast<BufferAddress>(std::stoull(handle, nullptr, 16));
}

// What an export left: its result and the text over its argument.
struct Call {
    int result;
    std::string text;
};

// A session over the fake backend with the plug-in loaded quietly.
class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        LastError = 0;
        LastLoadSize = 0;
        host::InitSession(session);
        session.script.pipe = true;
        ASSERT_EQ(Load(), host::LoadOutcome::Loaded);
    }
    void TearDown() override {
        if (session.plugin.loaded) host::UnloadPlugin(session, 1);
        LastError = 0;
        LastLoadSize = 0;
        fake::Reset();
    }

    host::LoadOutcome Load() {
        return host::AttachPlugin(session, host::BindExportTable(LinkedPluginExports()));
    }

    // Calls a feature export on a host-sized buffer holding `argument`.
    static Call Invoke(FeatureExport feature, std::u16string_view argument) {
        fake::ClearOutput();
        std::u16string buffer(kHostExpandCapacity, u'\0');
        buffer.replace(0, argument.size(), argument);
        const int result = feature(AsHost(buffer.data()));
        return Call{result, text::ToUtf8(buffer.c_str())};
    }

    // Runs one host line; returns its standard output.
    std::string Run(std::u16string_view line) {
        fake::ClearOutput();
        host::RunLine(session, line);
        return fake::StdOut();
    }

    // Every record as (address, size).
    static std::set<std::pair<uint32_t, uint32_t>> Records() {
        BufferRecord* list = nullptr;
        const int count = ReadBufferRecords(list);
        std::set<std::pair<uint32_t, uint32_t>> records;
        for (int i = 0; i < count; ++i) records.emplace(list[i].address, list[i].size);
        FreeBufferRecords(list);
        return records;
    }

    host::Session session;
    host::ActivateSession active{session};
};

} // namespace storetest
