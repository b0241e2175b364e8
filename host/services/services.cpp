// The eleven services the host offers its plug-in.
#include "frame/host_services.h"
#include "language/colors.h"
#include "runner/expand.h"
#include "session/session.h"
#include "text/format.h"
#include "text/u16.h"

#include <cstdarg>
#include <memory>

namespace {

// Formats into a stack buffer, or into one of the size needed when that is too small.
int FormatAndWrite(sys::Handle handle, const HostChar* format, va_list args) {
    if (format == nullptr) return -1;
    const char16_t* pattern = FromHost(format);
    char16_t small[2048];
    va_list again;
    va_copy(again, args);
    size_t length = text::FormatV(small, sizeof small / sizeof small[0], pattern, args);
    const char16_t* formatted = small;
    std::unique_ptr<char16_t[]> large;
    if (length >= sizeof small / sizeof small[0]) {
        large = std::make_unique<char16_t[]>(length + 1);
        length = text::FormatV(large.get(), length + 1, pattern, again);
        formatted = large.get();
    }
    va_end(again);
    host::Session& session = host::ActiveSession();
    if (!host::WriteToHandle(session, handle, std::u16string_view(formatted, length))) return -1;
    return int(length);
}

} // namespace

extern "C" {

KV_HOST_IMPORT int KV_HOSTAPI ExpandVariables(HostChar* text, int /*flag*/) {
    if (text == nullptr) return 1;
    char16_t* units = FromHost(text);
    size_t length = 0;
    while (length < size_t(kHostExpandCapacity) && units[length] != 0) ++length;
    if (length == size_t(kHostExpandCapacity)) return 1; // not terminated within the buffer

    host::Session& session = host::ActiveSession();
    std::u16string expanded;
    host::ExpandResult result =
        host::ExpandText(session, std::u16string_view(units, length), expanded);
    if (result.fault != host::ExpandFault::None) return result.code;
    expanded.copy(units, expanded.size());
    units[expanded.size()] = 0;
    return 0;
}

KV_HOST_IMPORT int KV_HOSTVA Qprintf(void* handle, const HostChar* format, ...) {
    va_list args;
    va_start(args, format);
    int written = FormatAndWrite(handle, format, args);
    va_end(args);
    return written;
}

KV_HOST_IMPORT int KV_HOSTVA Printf(const HostChar* format, ...) {
    va_list args;
    va_start(args, format);
    int written = FormatAndWrite(host::ActiveSession().out.handle, format, args);
    va_end(args);
    return written;
}

KV_HOST_IMPORT int KV_HOSTAPI QPuts(const HostChar* text) {
    if (text == nullptr) return -1;
    host::Session& session = host::ActiveSession();
    const char16_t* units = FromHost(text);
    return host::WriteOut(session, std::u16string_view(units, text::Length(units))) ? 0 : -1;
}

KV_HOST_IMPORT uintptr_t KV_HOSTAPI QueryMemSize(const void* address) {
    if (address == nullptr) return 0;
    return sys::HeapBlockSize(address);
}

KV_HOST_IMPORT int KV_HOSTAPI QueryTrueName(const HostChar* name, HostChar* out) {
    if (out == nullptr) return 1;
    char16_t* path = FromHost(out);
    path[0] = 0;
    if (name == nullptr) return 1;
    uint32_t length = sys::FullPathName(FromHost(name), path, kHostPathCapacity);
    if (length == 0 || length >= uint32_t(kHostPathCapacity)) {
        path[0] = 0;
        return 1;
    }
    return 0;
}

KV_HOST_IMPORT void KV_HOSTAPI GetAttribute(unsigned int* current, unsigned int* normal) {
    // The console's colour as it is now: the plug-in sets it back by itself after its Ctrl-C
    // mark, without telling the host. Without a console, the colour the host last set.
    host::Session& session = host::ActiveSession();
    unsigned value = session.script.currentAttribute;
    uint16_t attribute = 0;
    if (host::OutputIsConsole(session) && sys::ConsoleTextAttribute(session.out.handle, &attribute))
        value = attribute & 0xFFu;
    if (current != nullptr) *current = value;
    if (normal != nullptr) *normal = host::kDefaultAttribute;
}

KV_HOST_IMPORT int KV_HOSTAPI ParseColors(const HostChar* text, int* foreground, int* background) {
    if (text == nullptr) return 1;
    host::ColorPair colors;
    if (!host::ParseColorText(FromHost(text), colors)) return 1;
    if (foreground != nullptr) *foreground = colors.foreground;
    if (background != nullptr && colors.background >= 0) *background = colors.background;
    return 0;
}

KV_HOST_IMPORT void KV_HOSTAPI SetColors(int attribute) {
    // The plug-in calls this before it writes to the console itself (the Ctrl-C mark). On Windows
    // its seam is its own, so the host's collected output is written out here, ahead of that.
    sys::FlushStandardOutput();
    host::Session& session = host::ActiveSession();
    unsigned value = unsigned(attribute) & 0xFF;
    session.script.currentAttribute = value;
    // The console takes the colour, as with the real host, so that what the host writes next
    // appears in it; output that goes to a file stays plain.
    if (!host::OutputIsConsole(session)) return;
#if defined(_WIN32)
    // A colour the console does not take leaves the text in the colour it has.
    (void)sys::SetConsoleTextAttribute(session.out.handle, static_cast<uint16_t>(value));
#else
    host::WriteOut(session, host::AnsiColorSequence(value));
#endif
}

KV_HOST_IMPORT int KV_HOSTAPI tty_yield(int /*flag*/) {
    return 0;
}

KV_HOST_IMPORT void KV_HOSTAPI EatKeystrokes() {
    sys::FlushStandardOutput(); // the user answers what is on the screen
    sys::DiscardWaitingKeys();
}

} // extern "C"
