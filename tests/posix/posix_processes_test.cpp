// Native processes, program search, file attributes and the message box, against the real OS.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "sys/sys.h"

namespace {

// A fresh directory for one test, removed with everything in it at the end.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern = testing::TempDir() + "kv_processes_XXXXXX";
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~ScratchDirectory() {
        if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
    }
    const std::string& Path() const { return path_; }

    // Writes a file; `executable` makes it a program.
    std::string Add(const std::string& name, const std::string& content, bool executable) {
        std::string file = path_ + "/" + name;
        std::ofstream(file) << content;
        chmod(file.c_str(), executable ? 0755 : 0644);
        return file;
    }

private:
    std::string path_;
};

// Sets an environment variable for one test and restores it afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        const char* old = std::getenv(name);
        hadValue_ = old != nullptr;
        if (hadValue_) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (hadValue_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool hadValue_ = false;
    std::string old_;
};

// Test paths are ASCII.
std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// Waits up to five seconds for a file that another process writes, and reads it.
std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        std::ifstream file(path);
        std::stringstream content;
        content << file.rdbuf();
        if (content.str().find("end\n") != std::string::npos) return content.str();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "<no file>";
}

TEST(PosixFileAttributes, TellsFilesDirectoriesAndDevicesApart) {
    ScratchDirectory scratch;
    ASSERT_FALSE(scratch.Path().empty());
    std::string file = scratch.Add("Korvanite.chm", "chm", false);
    EXPECT_EQ(sys::FileAttributes(Wide(file).c_str()), sys::kFileAttributeNormal);
    EXPECT_EQ(sys::FileAttributes(Wide(scratch.Path()).c_str()), sys::kFileAttributeDirectory);
    EXPECT_EQ(sys::FileAttributes(u"/dev/null"), sys::kFileAttributeDevice);
    EXPECT_EQ(sys::FileAttributes(Wide(scratch.Path() + "/missing.chm").c_str()),
              sys::kNoFileAttributes);
    EXPECT_EQ(sys::FileAttributes(u""), sys::kNoFileAttributes);
    EXPECT_EQ(sys::FileAttributes(nullptr), sys::kNoFileAttributes);
    // Paths built the Windows way.
    EXPECT_EQ(sys::FileAttributes(Wide(scratch.Path() + "\\Korvanite.chm").c_str()),
              sys::kFileAttributeNormal);
}

TEST(PosixSearchProgram, FindsAnExecutableAlongPath) {
    ScratchDirectory first;
    ScratchDirectory second;
    first.Add("hh.exe", "not a program", false);
    std::string viewer = second.Add("hh.exe", "#!/bin/sh\n", true);
    ScopedVariable path("PATH", "/nonexistent:" + first.Path() + ":" + second.Path());

    char16_t out[4096];
    uint32_t length = sys::SearchProgram(u"hh.exe", out, 4096);
    EXPECT_EQ(std::u16string(out, length), Wide(viewer));
    EXPECT_EQ(sys::SearchProgram(u"hh.exe", out, length), 0u); // no room for the terminator
    EXPECT_EQ(sys::SearchProgram(u"nosuch.exe", out, 4096), 0u);
    EXPECT_EQ(sys::SearchProgram(u"", out, 4096), 0u);
}

TEST(PosixSearchProgram, NothingWithoutPath) {
    ScopedVariable path("PATH", "");
    char16_t out[256];
    EXPECT_EQ(sys::SearchProgram(u"sh", out, 256), 0u);
}

TEST(PosixStartProcess, PassesTheCommandLineByTheWindowsRulesAndEndsTheProcess) {
    ScratchDirectory scratch;
    std::string log = scratch.Path() + "/arguments.txt";
    std::string program =
        scratch.Add("viewer",
                    "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" + log +
                        ".tmp'\necho end >> '" + log + ".tmp'\nmv '" + log + ".tmp' '" + log +
                        "'\nexec sleep 60\n",
                    true);
    std::u16string commandLine =
        u"\"" + Wide(program) +
        u"\" \"C:\\help dir\\Korvanite.chm::/bbdump.html\" a\\\\\\\"b \"c\\\\\" d\\e \"\"";
    sys::Handle process = sys::StartProcess(Wide(program).c_str(), commandLine.c_str());
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForFile(log),
              "[C:\\help dir\\Korvanite.chm::/bbdump.html]\n[a\\\"b]\n[c\\]\n[d\\e]\n[]\nend\n");

    pid_t id = static_cast<pid_t>(reinterpret_cast<intptr_t>(process));
    sys::EndProcess(process, 0);
    // Ended and reaped: the id names no process of ours any more.
    errno = 0;
    EXPECT_EQ(kill(id, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(PosixStartProcess, TheChildInheritsNoDescriptorButTheStandardStreams) {
    ScratchDirectory scratch;
    std::string log = scratch.Path() + "/descriptors.txt";
    std::string program =
        scratch.Add("viewer",
                    "#!/bin/sh\nls /proc/$$/fd > '" + log + ".tmp'\necho end >> '" + log +
                        ".tmp'\nmv '" + log + ".tmp' '" + log + "'\n",
                    true);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0); // without close-on-exec, as an inheritable handle would be
    sys::Handle process =
        sys::StartProcess(Wide(program).c_str(), (u"\"" + Wide(program) + u"\"").c_str());
    ASSERT_NE(process, nullptr);
    std::string descriptors = "\n" + WaitForFile(log);
    sys::EndProcess(process, 0);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    EXPECT_NE(descriptors.find("\n2\n"), std::string::npos) << descriptors;
    for (int fd : pipeEnds)
        EXPECT_EQ(descriptors.find("\n" + std::to_string(fd) + "\n"), std::string::npos)
            << descriptors;
}

TEST(PosixStartProcess, AMissingProgramStartsNothing) {
    EXPECT_EQ(sys::StartProcess(u"/nonexistent/hh.exe", u"\"/nonexistent/hh.exe\" x"), nullptr);
    EXPECT_EQ(sys::StartProcess(nullptr, u"x"), nullptr);
    sys::EndProcess(nullptr, 0); // does nothing
}

TEST(PosixWindowsDirectory, TheVariableWindirOrTheRoot) {
    char16_t out[260];
    {
        ScopedVariable windir("windir", "C:\\Windows");
        EXPECT_EQ(sys::WindowsDirectory(out, 260), 10u);
        EXPECT_EQ(std::u16string(out), u"C:\\Windows");
        EXPECT_EQ(sys::WindowsDirectory(out, 10), 0u);
    }
    unsetenv("windir");
    EXPECT_EQ(sys::WindowsDirectory(out, 260), 1u);
    EXPECT_EQ(std::u16string(out), u"/");
}

TEST(PosixMessageBox, GoesToStandardError) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    int savedError = dup(STDERR_FILENO);
    dup2(pipeEnds[1], STDERR_FILENO);
    sys::ShowMessageBox(u"Missing Help File", u"I can\u2019t find it.\n\n    \u2022  here\n");
    dup2(savedError, STDERR_FILENO);
    close(savedError);
    close(pipeEnds[1]);
    std::string captured;
    char chunk[256];
    ssize_t got = 0;
    while ((got = read(pipeEnds[0], chunk, sizeof chunk)) > 0)
        captured.append(chunk, static_cast<size_t>(got));
    close(pipeEnds[0]);
    EXPECT_EQ(captured, "Missing Help File\nI can\u2019t find it.\n\n    \u2022  here\n");
}

} // namespace
