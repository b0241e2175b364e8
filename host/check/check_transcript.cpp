// The rules by which plughost --check compares output with a transcript.
#include "check/check_transcript.h"

#include <algorithm>

namespace host {

namespace {

constexpr std::string_view kFolderPlaceholder = "%SCRIPTDIR%";

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// A character of a file name: a form of the folder that a name goes on past is no match.
bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-' || static_cast<unsigned char>(c) >= 0x80;
}

std::string WithSeparator(std::string_view path, char separator) {
    std::string result(path);
    for (char& c : result)
        if (IsSeparator(c)) c = separator;
    return result;
}

bool HasDriveLetter(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
}

void AddForms(std::vector<std::string>& forms, std::string_view path) {
    while (path.size() > 1 && IsSeparator(path.back())) path.remove_suffix(1);
    if (path.empty()) return;
    std::vector<std::string> spellings = {WithSeparator(path, '/'), WithSeparator(path, '\\')};
    if (path.front() == '/') {
        spellings.push_back("Z:" + spellings[1]);
        spellings.push_back("z:" + spellings[1]);
    }
    if (HasDriveLetter(path)) {
        for (size_t i = 0, n = spellings.size(); i < n; ++i) {
            std::string other = spellings[i];
            other[0] = char(other[0] ^ 0x20); // the letter in the other case
            spellings.push_back(other);
        }
    }
    forms.insert(forms.end(), spellings.begin(), spellings.end());
}

bool IsHandleDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// "YYYY-MM-DD hh:mm:ss" at the start of the text.
bool StartsWithTime(std::string_view text) {
    constexpr std::string_view kShape = "0000-00-00 00:00:00";
    if (text.size() < kShape.size()) return false;
    for (size_t i = 0; i < kShape.size(); ++i) {
        if (kShape[i] == '0' ? !IsDigit(text[i]) : text[i] != kShape[i]) return false;
    }
    return true;
}

// Whether the text ends with a version number of four parts ("0.66.4.0").
bool EndsWithVersion(std::string_view text) {
    int parts = 0;
    while (parts < 4) {
        size_t digits = 0;
        while (digits < text.size() && IsDigit(text[text.size() - 1 - digits])) ++digits;
        if (digits == 0) return false;
        text.remove_suffix(digits);
        if (++parts < 4) {
            if (text.empty() || text.back() != '.') return false;
            text.remove_suffix(1);
        }
    }
    return true;
}

// One line of a text: its bytes without the line feed, and whether a line feed ends it.
struct Line {
    bool present = false;
    bool ended = false;
    std::string_view text;

    bool operator==(const Line&) const = default;
};

Line NextLine(std::string_view text, size_t& at) {
    Line line;
    if (at >= text.size()) return line;
    size_t feed = text.find('\n', at);
    line.present = true;
    line.ended = feed != std::string_view::npos;
    size_t end = line.ended ? feed : text.size();
    line.text = text.substr(at, end - at);
    at = line.ended ? feed + 1 : end;
    return line;
}

// Control characters as escapes ("\r", "\t", "\x1B"); other bytes as they are.
void AppendReadable(std::string& out, std::string_view bytes) {
    constexpr char kHex[] = "0123456789ABCDEF";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The shown part of a line: [from, from + kShownBytes), widened to whole UTF-8 characters.
constexpr size_t kShownBytes = 72;
constexpr size_t kShownBeforeDifference = 24;

void AppendShownLine(std::string& out, const Line& line, size_t from) {
    if (!line.present) {
        out += "(nothing)";
        return;
    }
    size_t end = std::min(line.text.size(), from + kShownBytes);
    while (end < line.text.size() && IsContinuationByte(line.text[end])) ++end;
    out += from > 0 ? "\"..." : "\"";
    AppendReadable(out, line.text.substr(from, end - from));
    out += end < line.text.size() ? "...\"" : "\"";
    if (!line.ended) out += " (no line end)";
}

} // namespace

std::vector<std::string> FolderForms(std::string_view given, std::string_view full) {
    std::vector<std::string> forms;
    AddForms(forms, full);
    AddForms(forms, given);
    std::sort(forms.begin(), forms.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
    forms.erase(std::unique(forms.begin(), forms.end()), forms.end());
    return forms;
}

std::string ReplaceFolder(std::string_view text, const std::vector<std::string>& forms) {
    std::string result;
    result.reserve(text.size());
    size_t at = 0;
    while (at < text.size()) {
        const bool startsPath = at == 0 || (!IsNameChar(text[at - 1]) &&
                                            !IsSeparator(text[at - 1]) && text[at - 1] != ':');
        const std::string* match = nullptr;
        if (startsPath) {
            for (const std::string& form : forms) {
                const size_t end = at + form.size();
                if (text.compare(at, form.size(), form) == 0 &&
                    (end == text.size() || !IsNameChar(text[end]))) {
                    match = &form;
                    break;
                }
            }
        }
        if (match == nullptr) {
            result += text[at++];
            continue;
        }
        result += kFolderPlaceholder;
        at += match->size();
        if (at < text.size() && text[at] == '\\') {
            result += '/';
            ++at;
        }
    }
    return result;
}

std::string MaskHandlesAndTimes(std::string_view text, bool wide) {
    const size_t digits = wide ? 16 : 8;
    std::string handlesMasked;
    handlesMasked.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        if (!IsHandleDigit(text[at])) {
            handlesMasked += text[at++];
            continue;
        }
        size_t end = at;
        while (end < text.size() && IsHandleDigit(text[end])) ++end;
        const std::string_view run = text.substr(at, end - at);
        const bool handle = run.size() == digits && (!wide || run.substr(0, 8) != "00000000");
        handlesMasked += handle ? std::string_view("%HANDLE%") : run;
        at = end;
    }

    std::string result;
    result.reserve(handlesMasked.size());
    std::string_view rest = handlesMasked;
    while (!rest.empty()) {
        if (StartsWithTime(rest)) {
            result += "%TIME%";
            rest.remove_prefix(19);
        } else {
            result += rest.front();
            rest.remove_prefix(1);
        }
    }
    return result;
}

std::string WithVersion(std::string_view transcript) {
    constexpr std::string_view kVersionPlaceholder = "%VERSION%";
    const std::string version = std::to_string(KV_VERSION_MAJOR) + "." +
                                std::to_string(KV_VERSION_MINOR) + "." +
                                std::to_string(KV_VERSION_PATCH);
    std::string result;
    result.reserve(transcript.size());
    for (size_t at = 0; at < transcript.size();) {
        if (transcript.substr(at, kVersionPlaceholder.size()) == kVersionPlaceholder) {
            result += version;
            at += kVersionPlaceholder.size();
        } else {
            result += transcript[at++];
        }
    }
    return result;
}

std::string AsWideTranscript(std::string_view x86Text) {
    constexpr std::string_view kX86 = "(x86)";
    std::string result(x86Text);
    for (size_t at = result.find(kX86); at != std::string::npos; at = result.find(kX86, at + 1)) {
        std::string_view before(result.data(), at);
        if (!before.empty() && before.back() == ' ' &&
            EndsWithVersion(before.substr(0, before.size() - 1)))
            result.replace(at, kX86.size(), "(x64)");
    }
    return result;
}

std::string FirstDifference(std::string_view expected, std::string_view actual) {
    size_t expectedAt = 0;
    size_t actualAt = 0;
    for (int number = 1;; ++number) {
        const Line want = NextLine(expected, expectedAt);
        const Line got = NextLine(actual, actualAt);
        if (!want.present && !got.present) return {};
        if (want == got) continue;

        size_t column = 0;
        while (column < want.text.size() && column < got.text.size() &&
               want.text[column] == got.text[column])
            ++column;
        // Long lines are shown from a little before their first difference; the bytes before it
        // are the same in both, so one start serves both.
        size_t from = 0;
        const size_t longest = std::max(want.text.size(), got.text.size());
        if (longest > kShownBytes && column > kShownBeforeDifference) {
            from = column - kShownBeforeDifference;
            while (from > 0 && IsContinuationByte(got.text[from])) --from;
        }
        std::string report = "line " + std::to_string(number);
        if (longest > kShownBytes) report += ", column " + std::to_string(column + 1);
        report += ": expected ";
        AppendShownLine(report, want, from);
        report += ", actual ";
        AppendShownLine(report, got, from);
        return report;
    }
}

} // namespace host
