// Finds Korvanite.chm and shows a topic of it in the HTML help viewer hh.exe.
#include "frame/help_viewer.h"

#include "frame/host_services.h"
#include "frame/plugin_identity.h"
#include "frame/plugin_state.h"
#include "text/format.h"
#include "text/u16.h"

#include <string_view>

sys::Handle HelpViewerProcess = nullptr;

namespace {

constexpr int kCandidateCapacity = 1024;
constexpr int kMessageCapacity = 1024;
constexpr int kWindowsDirectoryCapacity = 260;

// The places the help file may lie, in the order they are tried. Each takes the plug-in's name
// twice; a place that names it once takes the second without printing it (%.0s).
constexpr text::FormatString<const char16_t*, const char16_t*> kHelpFilePlaces[] = {
    u"%%[%sHelp]\\%s.chm",                  // the directory in the variable KorvaniteHelp
    u"%%[PluginHelp]\\%s.chm%.0s",          // the directory in the variable PluginHelp
    u"~\\%s.chm%.0s",                       // beside the library
    u"~\\Help\\%s.chm%.0s",                 // in Help below the library's directory
    u"%%@path[%%_cmdspec]%s.chm%.0s",       // beside the host program
    u"%%@path[%%_cmdspec]help\\%s.chm%.0s", // in help below the host program's directory
    u"%%windir\\help\\%s.chm%.0s",          // in the Windows help directory
};

constexpr char16_t kMissingCaption[] = u"Missing Help File";
constexpr char16_t kMissingMessage[] =
    u"I can\u2019t find the help file %s.chm.  It should be:\n\n"
    u"    \u2022  in a directory specified in %%%sHELP\n"
    u"    \u2022  in a directory specified in %%PLUGINHELP\n"
    u"    \u2022  in the same directory as the .DLL file\n"
    u"    \u2022  in a HELP directory within the .DLL\u2019s directory  \n"
    u"    \u2022  in the same directory as the command shell\n"
    u"    \u2022  in a HELP directory within the shell\u2019s directory  \n";
constexpr char16_t kMissingWindowsPlace[] = u"    \u2022  or in %s\\Help.\n";

// Path texts of one attempt. They are too large for the stack of every host thread, and the
// host calls the plug-in on one thread at a time.
struct HelpPaths {
    char16_t file[kPathCapacity];
    char16_t work[kPathCapacity];
    char16_t viewer[kPathCapacity];
};

HelpPaths& Paths() {
    static HelpPaths paths;
    return paths;
}

// Puts the library's directory (without its last separator) before the rest of a "~\" place.
bool PlaceBesideLibrary(const char16_t* afterTilde, char16_t* out) {
    if (sys::ModulePathOf(ModuleInstance, out, kPathCapacity) == 0) return false;
    size_t cut = 0;
    bool separatorSeen = false;
    for (size_t i = 0; out[i] != 0; ++i) {
        if (out[i] == u'\\' || out[i] == u'/') {
            cut = i;
            separatorSeen = true;
        }
    }
    if (!separatorSeen) return false;
    out[cut] = 0;
    return text::AppendBounded(out, kPathCapacity, afterTilde);
}

// Whether `path` is only what a variable-based candidate holds after its variable
// ("\Korvanite.chm"), in the file system's form: the variable gave nothing.
bool IsNameAlone(const char16_t* candidate, const char16_t* path) {
    const std::u16string_view text(candidate);
    const size_t close = text.find(u']');
    if (close == std::u16string_view::npos) return false;
    char16_t name[kCandidateCapacity];
    text::CopyBounded(name, kCandidateCapacity, candidate + close + 1);
    sys::UseFileSystemSeparators(name);
    return std::u16string_view(name) == std::u16string_view(path);
}

bool IsPlainFile(const char16_t* path) {
    const uint32_t attributes = sys::FileAttributes(path);
    return attributes != sys::kNoFileAttributes &&
           (attributes & (sys::kFileAttributeDirectory | sys::kFileAttributeDevice)) == 0;
}

void ShowMissingHelpFile() {
    char16_t upperName[sizeof plugin::kName / sizeof plugin::kName[0]];
    size_t i = 0;
    for (; plugin::kName[i] != 0; ++i) upperName[i] = sys::ToUpper(plugin::kName[i]);
    upperName[i] = 0;

    char16_t message[kMessageCapacity];
    const size_t length =
        text::Format(message, kMessageCapacity, kMissingMessage, plugin::kName, upperName);

    // Without a Windows directory (natively, when windir is empty, the root is all there is)
    // there is no Windows help folder to name, so that place is left out.
    char16_t windowsDirectory[kWindowsDirectoryCapacity];
    const uint32_t directoryLength =
        sys::WindowsDirectory(windowsDirectory, kWindowsDirectoryCapacity);
    const bool onlyRoot =
        directoryLength == 1 && (windowsDirectory[0] == u'/' || windowsDirectory[0] == u'\\');
    if (directoryLength != 0 && !onlyRoot && length < size_t(kMessageCapacity))
        text::Format(message + length, kMessageCapacity - length, kMissingWindowsPlace,
                     windowsDirectory);
    sys::ShowMessageBox(kMissingCaption, message);
}

} // namespace

int OpenHelpTopic(const char16_t* candidate, const char16_t* topic) {
    if (candidate == nullptr || topic == nullptr) return 0;
    HelpPaths& paths = Paths();
    char16_t* file = paths.file;

    if (candidate[0] == u'~' && candidate[1] == u'\\') {
        // The library's directory is a path, not host text: a "%" in it is not expanded.
        if (!PlaceBesideLibrary(candidate + 1, file)) return 0;
    } else {
        if (text::CopyBounded(file, kPathCapacity, candidate) < text::Length(candidate)) return 0;
        // An unset or empty variable leaves only the file name's backslash: that place is
        // skipped without looking at the disk. A failed expansion leaves no usable name either.
        // The test is made on the path in the file system's form: on Windows a leading
        // backslash is what an empty variable leaves; natively a backslash is a separator, a
        // leading one the root (KorvaniteHelp=\docs\help), and only the bare "/Korvanite.chm"
        // tells of an empty variable.
        const bool fromVariable = file[0] == u'%' && file[1] == u'[';
        if (ExpandVariables(AsHost(file), 1) != 0) return 0;
        sys::UseFileSystemSeparators(file);
        if (fromVariable && (file[0] == u'\\' || IsNameAlone(candidate, file))) return 0;
    }

    paths.work[0] = 0;
    QueryTrueName(AsHost(file), AsHost(paths.work));
    paths.work[kPathCapacity - 1] = 0;
    if (paths.work[0] == 0) return 0;
    text::CopyBounded(file, kPathCapacity, paths.work);
    // The viewer is given the very path that was found to exist.
    sys::UseFileSystemSeparators(file);
    if (!IsPlainFile(file)) return 0;

    if (sys::SearchProgram(u"hh.exe", paths.viewer, kPathCapacity) == 0) return 0;

    if (!text::AppendBounded(file, kPathCapacity, u"::/") ||
        !text::AppendBounded(file, kPathCapacity, topic) ||
        !text::AppendBounded(file, kPathCapacity, u".html"))
        return 0;
    char16_t* commandLine = paths.work;
    if (text::Format(commandLine, kPathCapacity, u"\"%s\" \"%s\"", paths.viewer, file) >=
        size_t(kPathCapacity))
        return 0;

    sys::Handle viewer = sys::StartProcess(paths.viewer, commandLine);
    if (viewer == nullptr) return 0;
    StopHelpViewer();
    HelpViewerProcess = viewer;
    return 1;
}

int ShowHelpTopic(const char16_t* topic) {
    for (const auto& place : kHelpFilePlaces) {
        char16_t candidate[kCandidateCapacity];
        text::Format(candidate, kCandidateCapacity, place, plugin::kName, plugin::kName);
        if (OpenHelpTopic(candidate, topic) == 1) return 1;
    }
    ShowMissingHelpFile();
    return 1;
}

void StopHelpViewer() {
    if (HelpViewerProcess == nullptr) return;
    sys::EndProcess(HelpViewerProcess, 0);
    HelpViewerProcess = nullptr;
}
