// The host's own variable functions @comma, @path, @eval and @filesize.
#include "builtins/host_functions.h"

#include "language/eval.h"
#include "language/words.h"
#include "session/files.h"
#include "text/u16.h"

namespace host {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool RunComma(std::u16string_view args, std::u16string& text, std::u16string& /*refusal*/) {
    text = CommaGroup(args);
    return true;
}

bool RunPath(std::u16string_view args, std::u16string& text, std::u16string& /*refusal*/) {
    text = PathPart(args);
    return true;
}

bool RunEval(std::u16string_view args, std::u16string& text, std::u16string& refusal) {
    long long value = 0;
    if (!EvaluateInteger(args, value, refusal)) return false;
    text = DecimalText(value);
    return true;
}

// The size in bytes, or -1 when there is no file of that name to read, as the real host gives
// it. The real host's units and attribute arguments are not there.
bool RunFileSize(std::u16string_view args, std::u16string& text, std::u16string& refusal) {
    const std::u16string_view name = WithoutQuotes(TrimBlanksView(args));
    if (name.empty()) {
        refusal = u"a file name is expected";
        return false;
    }
    if (name.size() == TrimBlanksView(args).size() && name.find(u',') != name.npos) {
        refusal = u"plughost gives the size in bytes only (quote a name with a comma)";
        return false;
    }
    const std::optional<uint64_t> size = FileSizeOf(std::u16string(name));
    text = size ? DecimalText(static_cast<long long>(*size)) : u"-1";
    return true;
}

constexpr HostFunction kHostFunctions[] = {
    {u"comma", RunComma},
    {u"path", RunPath},
    {u"eval", RunEval},
    {u"filesize", RunFileSize},
};

} // namespace

const HostFunction* FindHostFunction(std::u16string_view name) {
    for (const HostFunction& function : kHostFunctions)
        if (text::EqualNoCase(name, function.name)) return &function;
    return nullptr;
}

std::u16string CommaGroup(std::u16string_view text) {
    size_t start = 0;
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) start = 1;
    size_t end = start;
    while (end < text.size() && IsDigit(text[end])) ++end;
    if (end == start) return std::u16string(text);

    std::u16string grouped(text.substr(0, start));
    size_t digits = end - start;
    for (size_t i = 0; i < digits; ++i) {
        if (i != 0 && (digits - i) % 3 == 0) grouped += u',';
        grouped += text[start + i];
    }
    grouped += text.substr(end);
    return grouped;
}

std::u16string PathPart(std::u16string_view path) {
    size_t cut = path.find_last_of(u"/\\");
    if (cut != std::u16string_view::npos) return std::u16string(path.substr(0, cut + 1));
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == u':')
        return std::u16string(path.substr(0, 2));
    return {};
}

} // namespace host
