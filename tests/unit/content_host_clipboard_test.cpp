// PLUGHOST_CLIPBOARD: the host's way to give a script a known clipboard for @BLOAD of "clip:".
#include <gtest/gtest.h>

#include <string>

#include "content_test_fixture.h"
#include "fake/fake_sys.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "plugin/clipboard_variable.h"
#include "store/last_transfer.h"
#include "sys/sys.h"

namespace {

class ContentHostClipboard : public contenttest::ContentFixture {
protected:
    // The clipboard's data block, or nullopt when it holds no text.
    static std::optional<std::u16string> ClipboardUnits() {
        if (!sys::OpenClipboardForReading()) return std::nullopt;
        size_t units = 0;
        const char16_t* text = sys::LockClipboardText(&units);
        std::optional<std::u16string> block;
        if (text != nullptr) block.emplace(text, units);
        sys::CloseClipboardAfterReading();
        return block;
    }
};

TEST_F(ContentHostClipboard, LeavesTheClipboardAloneWithoutTheVariable) {
    fake::SetClipboardUnits(std::u16string(u"mine\0", 5));
    host::ShareClipboardVariable(session);
    EXPECT_EQ(ClipboardUnits(), std::u16string(u"mine\0", 5));
    EXPECT_EQ(fake::StdErr(), "");
}

TEST_F(ContentHostClipboard, PutsTheVariablesTextThereForTheScript) {
    ASSERT_TRUE(sys::SetEnv(host::kClipboardVariable, u"h\u00E9, \"x\""));
    host::ShareClipboardVariable(session);
    EXPECT_EQ(ClipboardUnits(), std::u16string(u"h\u00E9, \"x\"\0", 8));

    const storetest::Call call = Invoke(f_bload, u"clip:");
    ASSERT_EQ(call.text.size(), size_t{kHandleDigits});
    EXPECT_EQ(LastLoadSize, 16u);
    EXPECT_EQ(
        Contents(text::FromUtf8(call.text), 16),
        (std::vector<uint8_t>{'h', 0, 0xE9, 0, ',', 0, ' ', 0, '"', 0, 'x', 0, '"', 0, 0, 0}));
}

} // namespace
