// The console output routines over the fake console: standard output is a console of 25 rows,
// the console device is open as ConsoleOut, and the transcript shows prompts and colours.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/console_output.h"
#include "session/session.h"
#include "fake/fake_sys.h"
#include "frame/plugin_state.h"

namespace consoletest {

inline const std::string kPrompt =
    "\r   \xE2\x94\x80\xE2\x94\x80 Press a key to continue \xE2\x94\x80\xE2\x94\x80 ";
inline const std::string kErase = "\r" + std::string(60, ' ') + "\r";

// The transcript with the prompt and its erasing line shown as "[prompt]" and "[erase]".
inline std::string Readable(std::string text) {
    for (auto [from, to] :
         {std::pair{kPrompt, std::string("[prompt]")}, std::pair{kErase, std::string("[erase]")}}) {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
            text.replace(at, from.size(), to);
    }
    return text;
}

class ConsoleFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        host::InitSession(session);
        ResetCommandOutput();
        CtrlHandlerInstalled = 0;
        fake::SetIsConsole(sys::StdStream::Output, true);
        ConsoleOut = sys::OpenConsoleDevice();
    }
    void TearDown() override {
        RemoveCtrlHandler();
        sys::CloseHandle(ConsoleOut);
        ConsoleOut = nullptr;
        ResetCommandOutput();
        fake::Reset();
    }

    // Writes lines "1" to "count" through PagedPrint; the result of the last call.
    static int PrintLines(int count) {
        int result = kOutputOk;
        for (int i = 1; i <= count && result == kOutputOk; ++i) result = PagedPrint(u"%d\n", i);
        return result;
    }

    // The numbers of the lines after which a prompt came.
    static std::vector<int> PromptsAfter(const std::string& transcript) {
        std::vector<int> lines;
        std::string text = Readable(transcript);
        for (size_t at = text.find("[prompt]"); at != std::string::npos;
             at = text.find("[prompt]", at + 1)) {
            size_t end = text.rfind("\r\n", at);
            size_t start = end == std::string::npos || end == 0 ? std::string::npos
                                                                : text.rfind("\n", end - 1);
            start = start == std::string::npos ? 0 : start + 1;
            std::string number = text.substr(start, end - start);
            // A line right after an earlier prompt carries that prompt before it.
            if (size_t mark = number.rfind(']'); mark != std::string::npos)
                number.erase(0, mark + 1);
            lines.push_back(
                number.empty() || number[0] < '0' || number[0] > '9' ? -1 : std::stoi(number));
        }
        return lines;
    }

    host::Session session;
    host::ActivateSession active{session};
};

} // namespace consoletest
