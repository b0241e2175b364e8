#include "plugin/export_check.h"

#include "session/plugin_slot.h"
#include "text/format.h"
#include "text/u16.h"

#include <string>

namespace host {

namespace {

// Calls an export that takes `count` pointer arguments (1 or 2) as the host does, and reports
// how far the stack pointer moved across the call. A __stdcall export removes its own
// arguments, so anything but 0 means the export follows another convention, which would
// corrupt the real host's stack.
int CallMeasured(void* function, int count, const void* first, const void* second, int* drift) {
#if defined(_WIN32) && defined(__i386__)
    int result;
    int moved;
    __asm__ volatile("movl %%esp, %%edi\n\t"
                     "cmpl $2, %%ecx\n\t"
                     "jne 1f\n\t"
                     "pushl %%ebx\n\t"
                     "1:\n\t"
                     "pushl %%edx\n\t"
                     "call *%%esi\n\t"
                     "movl %%edi, %%ecx\n\t"
                     "subl %%esp, %%ecx\n\t"
                     "movl %%edi, %%esp\n\t"
                     : "=a"(result), "=c"(moved), "+d"(first), "+b"(second), "+S"(function)
                     : "c"(count)
                     : "edi", "memory", "cc");
    *drift = moved;
    return result;
#else
    *drift = 0;
    if (count == 2)
        return reinterpret_cast<int(KV_API*)(const void*, const void*)>(function)(first, second);
    return reinterpret_cast<int(KV_API*)(const void*)>(function)(first);
#endif
}

struct Probe {
    const char* name;
    int arguments; // 0: only looked up (calling it would change the plug-in's state)
};

// The protocol exports. Usage, Help and _clver$ answer a null name harmlessly.
constexpr Probe kProtocol[] = {
    {"InitializePlugin", 0}, {"ShutdownPlugin", 0}, {"GetPluginInfo", 0}, {"Usage", 2}, {"Help", 1},
    {kClverSymbol, 1},
};

} // namespace

void CheckExports(Session& session) {
    const PluginSlot& plugin = session.plugin;
    if (!plugin.loaded) {
        HostMessage(session, u"no plug-in is loaded");
        session.script.lastResult = 1;
        return;
    }
    int faults = 0;
    // What the export answers, after its name: "found", its result, or why it fails. True when
    // it does what `expected` asks (any result when it is null).
    auto check = [&](const std::string& name, int arguments, const int* expected,
                     std::u16string& line) {
        // `_clver$` reads the same on every platform, whatever its symbol is called.
        const std::string& shown = name == kClverSymbol ? std::string("_clver$") : name;
        line.assign(shown.begin(), shown.end());
        void* symbol = plugin.binding.find(plugin.binding.context, name.c_str());
        if (symbol == nullptr) {
            line += u": missing\r\n";
            return false;
        }
        if (arguments == 0) {
            line += u": found\r\n";
            return true;
        }
        int drift = 0;
        const int result = CallMeasured(symbol, arguments, nullptr, nullptr, &drift);
        char16_t text[96];
        text::Format(text, 96, u": %d", result);
        line += text;
        if (drift != 0) {
            text::Format(text, 96, u" (not __stdcall: the stack moved by %d bytes)", drift);
            line += text;
        }
        line += u"\r\n";
        return drift == 0 && (expected == nullptr || result == *expected);
    };
    std::u16string line;
    for (const Probe& probe : kProtocol) {
        if (!check(probe.name, probe.arguments, nullptr, line)) ++faults;
        WriteOut(session, line);
    }
    // Every feature answers a null text with 87 and nothing else: only those that do not are
    // named.
    const int kNoText = 87;
    size_t answered = 0;
    for (const std::u16string& entry : plugin.features) {
        FeatureKind kind = entry.starts_with(u'@')   ? FeatureKind::Function
                           : entry.starts_with(u'_') ? FeatureKind::Variable
                                                     : FeatureKind::Command;
        if (check(ExportNameOf(entry, kind), 1, &kNoText, line)) {
            ++answered;
            continue;
        }
        ++faults;
        WriteOut(session, line);
    }
    if (answered == plugin.features.size())
        WriteOut(session, u"every feature of the list: 87\r\n");
    else if (answered > 0)
        WriteOut(session, u"every other feature of the list: 87\r\n");
    session.script.lastResult = faults;
}

} // namespace host
