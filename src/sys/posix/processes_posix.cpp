// Processes, the message box and the file lookups of the help launcher. Paths arrive built the
// Windows way, so a backslash counts as a slash; the message box becomes text on standard error.
#include <cerrno>
#include <csignal>
#include <memory>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "sys/posix/path_normalise.h"
#include "sys/sys.h"
#include "text/u16.h"

extern char** environ;

namespace sys {
namespace {

std::string NativePath(std::u16string_view path) {
    std::u16string slashes(path);
    for (char16_t& c : slashes)
        if (c == u'\\') c = u'/';
    return text::ToUtf8(slashes);
}

uint32_t CopyOut(std::u16string_view text, char16_t* out, uint32_t capacity) {
    if (text.empty() || out == nullptr || text.size() >= capacity) return 0;
    text.copy(out, text.size());
    out[text.size()] = 0;
    return static_cast<uint32_t>(text.size());
}

bool IsExecutableFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

std::u16string CurrentDirectory() {
    std::unique_ptr<char, decltype(&free)> bytes(getcwd(nullptr, 0), &free);
    return bytes ? text::FromUtf8(bytes.get()) : std::u16string();
}

// The arguments of a command line as the Windows runtime splits it: blanks separate arguments
// outside double quotes; 2n backslashes before a quote give n backslashes and the quote toggles
// quoting; 2n+1 give n backslashes and a literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(std::u16string_view line) {
    std::vector<std::string> arguments;
    std::u16string current;
    bool inArgument = false;
    bool quoted = false;
    size_t i = 0;
    while (i < line.size()) {
        char16_t c = line[i];
        if ((c == u' ' || c == u'\t') && !quoted) {
            if (inArgument) arguments.push_back(text::ToUtf8(current));
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == u'\\') {
            size_t run = 0;
            while (i < line.size() && line[i] == u'\\') {
                ++run;
                ++i;
            }
            if (i < line.size() && line[i] == u'"') {
                current.append(run / 2, u'\\');
                if (run % 2 == 1) {
                    current.push_back(u'"');
                    ++i;
                }
            } else {
                current.append(run, u'\\');
            }
            continue;
        }
        if (c == u'"')
            quoted = !quoted;
        else
            current.push_back(c);
        ++i;
    }
    if (inArgument) arguments.push_back(text::ToUtf8(current));
    return arguments;
}

pid_t ProcessOf(Handle process) {
    return static_cast<pid_t>(reinterpret_cast<intptr_t>(process));
}

} // namespace

uint32_t FileAttributes(const char16_t* path) {
    if (path == nullptr || path[0] == 0) return kNoFileAttributes;
    struct stat status {};
    if (stat(NativePath(path).c_str(), &status) != 0) return kNoFileAttributes;
    if (S_ISDIR(status.st_mode)) return kFileAttributeDirectory;
    if (S_ISREG(status.st_mode)) return kFileAttributeNormal;
    return kFileAttributeDevice;
}

void UseFileSystemSeparators(char16_t* path) {
    for (; path != nullptr && *path != 0; ++path)
        if (*path == u'\\') *path = u'/';
}

uint32_t SearchProgram(const char16_t* fileName, char16_t* out, uint32_t capacity) {
    if (fileName == nullptr || fileName[0] == 0) return 0;
    std::u16string_view name(fileName);
    std::u16string directory = CurrentDirectory();
    if (directory.empty()) return 0;
    // A name with a directory part is looked at where it says, as SearchPathW does.
    if (name.find_first_of(u"/\\") != std::u16string_view::npos) {
        std::u16string full = posix::AbsolutePath(directory, text::FromUtf8(NativePath(name)));
        return IsExecutableFile(text::ToUtf8(full)) ? CopyOut(full, out, capacity) : 0;
    }
    char16_t small[1];
    uint32_t needed = GetEnv(u"PATH", small, 1);
    if (needed == 0) return 0;
    std::u16string path(needed, u'\0');
    path.resize(GetEnv(u"PATH", path.data(), needed));
    std::u16string_view rest = path;
    for (;;) {
        size_t colon = rest.find(u':');
        std::u16string_view entry = rest.substr(0, colon);
        // An empty entry is the current directory.
        std::u16string candidate = posix::AbsolutePath(directory, entry.empty() ? u"." : entry);
        if (candidate.back() != u'/') candidate.push_back(u'/');
        candidate.append(name);
        if (IsExecutableFile(text::ToUtf8(candidate))) return CopyOut(candidate, out, capacity);
        if (colon == std::u16string_view::npos) return 0;
        rest.remove_prefix(colon + 1);
    }
}

Handle StartProcess(const char16_t* application, const char16_t* commandLine) {
    if (application == nullptr || application[0] == 0 || commandLine == nullptr) return nullptr;
    std::string program = NativePath(application);
    std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (arguments.empty()) arguments.push_back(program);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    // Like a Windows process started without handle inheritance, the child gets the standard
    // streams and no other descriptor of ours (a pipe held open by it would outlive the host).
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return nullptr;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif
    FlushStandardOutput(); // what the user has been shown comes before anything of the child's
    pid_t process = 0;
    int failed = posix_spawn(&process, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) return nullptr;
    return reinterpret_cast<Handle>(static_cast<intptr_t>(process));
}

void EndProcess(Handle process, uint32_t /*exitCode*/) {
    if (process == nullptr) return;
    pid_t id = ProcessOf(process);
    // A child that has ended already stays a zombie until it is reaped here, so its id cannot
    // have passed to another process.
    kill(id, SIGKILL);
    while (waitpid(id, nullptr, 0) < 0 && errno == EINTR) {
    }
}

uint32_t WindowsDirectory(char16_t* out, uint32_t capacity) {
    if (out == nullptr || capacity == 0) return 0;
    uint32_t length = GetEnv(u"windir", out, capacity);
    if (length == 0) return CopyOut(u"/", out, capacity);
    if (length >= capacity) {
        out[0] = 0;
        return 0;
    }
    return length;
}

// A message box cannot fail to show: what standard error does not take is lost.
void ShowMessageBox(const char16_t* caption, const char16_t* text) {
    Handle error = StdHandle(StdStream::Error);
    for (const char16_t* part : {caption, text}) {
        if (part == nullptr) continue;
        size_t length = text::Length(part);
        bool written = WriteText(error, part, length);
        if (written && (length == 0 || part[length - 1] != u'\n'))
            written = WriteText(error, u"\n", 1);
        (void)written;
    }
}

} // namespace sys
