// kv_fault_sweep FOLDER... [--every K [--from O]] [--jobs J] [SCRIPT...]: runs every script
// NAME.btm of the folders (or those named) with the Nth fallible call of the plug-in failing,
// the files beside it in the script's folder and those of a folder NAME.files in the folder it
// runs in (the documents' examples, as tests/docs/run_examples.py --write writes them), for N = 1,
// 2, 3, ... up to the last one the run without a fault makes (a run with one more meets no
// fault), and judges each run (sweep_checks.h). A read or write of a file also fails as one
// that moves nothing. With --every K only every Kth position runs, from position O + 1 (by
// default O changes from run to run, so that runs together cover all). Each script runs once
// without a fault, then once more as a trunk that forks a child at each position: the child
// fails the call and goes on as the run with that fault, at most J children at a time
// (default 2). Prints each finding, then "sweep: S scripts, P fault positions, F findings";
// exits with 1 when F is not 0.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "sweep/sweep_checks.h"
#include "sweep/sweep_world.h"
#include "text/u16.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// A child that takes longer than this is taken to hang.
constexpr unsigned kChildSeconds = 300;

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool IsTranscript(const std::string& extension) {
    return extension == ".btm" || extension == ".out" || extension == ".err" || extension == ".rc";
}

// The regular files of a folder by name, but the scripts and their transcripts.
std::map<std::u16string, std::string> FilesIn(const std::filesystem::path& folder) {
    std::map<std::u16string, std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::filesystem::path& path = entry.path();
        if (entry.is_regular_file() && !IsTranscript(path.extension().string()))
            files[path.filename().u16string()] = ReadBytes(path);
    }
    return files;
}

void ReadScripts(const std::filesystem::path& folder, const std::vector<std::string>& only,
                 std::vector<sweep::Script>& scripts) {
    const std::map<std::u16string, std::string> neighbours = FilesIn(folder);
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() == ".btm")
            paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    for (const std::filesystem::path& path : paths) {
        const std::string name = path.stem().string();
        if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end()) continue;
        std::filesystem::path work = path;
        work.replace_extension(".files");
        scripts.push_back(sweep::Script{name, ReadBytes(path), neighbours, FilesIn(work)});
    }
}

struct Options {
    std::vector<std::filesystem::path> folders;
    uint64_t every = 1;
    uint64_t from = 0;
    bool fromGiven = false;
    size_t jobs = 2;
    std::vector<std::string> only;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--every" || arg == "--from" || arg == "--jobs") && i + 1 < argc) {
            const uint64_t value = std::strtoull(argv[++i], nullptr, 10);
            if (arg == "--every") options.every = value;
            if (arg == "--jobs") options.jobs = size_t(value);
            if (arg == "--from") {
                options.from = value;
                options.fromGiven = true;
            }
        } else if (arg.starts_with("--")) {
            return false;
        } else if (std::filesystem::is_directory(arg)) {
            options.folders.push_back(arg);
        } else {
            options.only.push_back(arg);
        }
    }
    if (options.folders.empty() || options.every == 0 || options.jobs == 0) return false;
    if (!options.fromGiven) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        options.from = uint64_t(std::chrono::duration_cast<std::chrono::seconds>(now).count());
    }
    options.from %= options.every;
    return true;
}

// What is being run now, for a crash's report (which may come as the program ends, when no
// string is left).
char Running[512];

void NoteRunning(const std::string& what) {
    std::snprintf(Running, sizeof Running, "%s", what.c_str());
}

[[maybe_unused]] void ReportRunning() {
    std::fprintf(stderr, "sweep: the crash above came in %s\n", Running);
}

// A child at work, with the pipe its findings come through.
struct Child {
    pid_t pid;
    int pipe;
    std::string where;
};

class Sweep {
public:
    explicit Sweep(const Options& options) : options_(options) {}

    // Runs one script at every chosen position; true in a child once its run is over.
    bool RunScript(const sweep::Script& script) {
        NoteRunning(script.name + " without a fault");
        baseline_ = sweep::Run{};
        baseline_.baseline = true;
        sweep::RunScript(script, baseline_);
        script_ = &script;

        sweep::Run trunk;
        trunk.trunkOf = &baseline_;
        trunk.forkAt = [this](uint64_t position, fake::Call kind) {
            return ForkAt(position, kind);
        };
        sweep::RunScript(script, trunk);
        if (childPipe_ >= 0) {
            FinishChild(trunk);
            return true;
        }
        while (!children_.empty()) Reap();
        // The run without a fault keeps the promises of the end of a run too.
        NoteRunning("the end of " + script.name);
        for (const std::string& fault : sweep::Judge(baseline_, trunk))
            Report("finding: " + script.name + " without a fault: " + fault);
#if defined(__SANITIZE_ADDRESS__)
        if (__lsan_do_recoverable_leak_check() != 0)
            Report("finding: " + script.name + ": memory leaked (LeakSanitizer's report above)");
#endif
        std::fflush(stdout);
        return false;
    }

    uint64_t Positions() const {
        return positions_;
    }
    uint64_t Findings() const {
        return findings_;
    }

private:
    // In the trunk at a fallible call: forks the children of the chosen position; in a child,
    // the code to fail the call with.
    std::optional<uint32_t> ForkAt(uint64_t position, fake::Call kind) {
        if (position <= options_.from || (position - 1 - options_.from) % options_.every != 0)
            return std::nullopt;
        const bool moves = kind == fake::Call::FileRead || kind == fake::Call::FileWrite;
        for (uint32_t code : {fake::kUsualCode, fake::kMovesNothing}) {
            if (code == fake::kMovesNothing && !moves) continue;
            while (children_.size() >= options_.jobs) Reap();
            std::string where = script_->name + ", position " + std::to_string(position) + " (" +
                                fake::CallName(kind) +
                                (code == fake::kMovesNothing ? " moving nothing" : "");
            int fds[2];
            if (pipe(fds) != 0) {
                Report("finding: " + where + "): no pipe for the run");
                continue;
            }
            std::fflush(stdout);
            std::fflush(stderr);
            const pid_t pid = fork();
            if (pid == 0) {
                close(fds[0]);
                childPipe_ = fds[1];
                children_.clear();
                where_ = where;
                NoteRunning(where + ")");
                alarm(kChildSeconds);
                return code;
            }
            close(fds[1]);
            ++positions_;
            if (pid < 0) {
                close(fds[0]);
                Report("finding: " + where + "): no process for the run");
                continue;
            }
            children_.push_back(Child{pid, fds[0], where});
        }
        return std::nullopt;
    }

    // The child's end: its findings go to the trunk, and it ends without the trunk's cleanup.
    void FinishChild(const sweep::Run& run) {
        std::string where = where_;
        const int index = run.plan.call;
        if (index >= 0 && size_t(index) < baseline_.calls.size()) {
            const sweep::ExportCall& call = baseline_.calls[size_t(index)];
            where += " in " + call.name + "[" + text::ToUtf8(call.argument) + "] on line " +
                     std::to_string(call.line);
        }
        std::string lines;
        for (const std::string& fault : sweep::Judge(baseline_, run))
            lines += "finding: " + where + "): " + fault + "\n";
        lines += "done\n";
        for (size_t done = 0; done < lines.size();) {
            const ssize_t put = write(childPipe_, lines.data() + done, lines.size() - done);
            if (put <= 0) break;
            done += size_t(put);
        }
        _exit(0);
    }

    // Waits for the oldest child and reports what it found.
    void Reap() {
        const Child child = children_.front();
        children_.pop_front();
        std::string text;
        char chunk[4096];
        for (ssize_t got; (got = read(child.pipe, chunk, sizeof chunk)) != 0;) {
            if (got < 0) break;
            text.append(chunk, size_t(got));
        }
        close(child.pipe);
        int status = 0;
        waitpid(child.pid, &status, 0);
        bool done = false;
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find('\n', start);
            const std::string line = text.substr(start, end - start);
            start = end == std::string::npos ? text.size() : end + 1;
            if (line == "done")
                done = true;
            else
                Report(line);
        }
        if (!done || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            Report("finding: " + child.where +
                   "): the run did not end (crashed, or hung; see above)");
    }

    void Report(const std::string& line) {
        std::printf("%s\n", line.c_str());
        ++findings_;
    }

    const Options& options_;
    sweep::Run baseline_;
    const sweep::Script* script_ = nullptr;
    std::deque<Child> children_;
    int childPipe_ = -1; // in a child: where its findings go
    std::string where_;
    uint64_t positions_ = 0;
    uint64_t findings_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: kv_fault_sweep FOLDER... [--every K [--from O]] [--jobs J] "
                             "[SCRIPT...]\n");
        return 2;
    }
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(ReportRunning);
#endif
    std::vector<sweep::Script> scripts;
    for (const std::filesystem::path& folder : options.folders)
        ReadScripts(folder, options.only, scripts);
    if (options.every > 1)
        std::printf("sweep: positions %llu, %llu + %llu, ... (--every %llu --from %llu)\n",
                    static_cast<unsigned long long>(options.from + 1),
                    static_cast<unsigned long long>(options.from + 1),
                    static_cast<unsigned long long>(options.every),
                    static_cast<unsigned long long>(options.every),
                    static_cast<unsigned long long>(options.from));
    Sweep sweep(options);
    for (const sweep::Script& script : scripts)
        if (sweep.RunScript(script)) return 0; // a child's run is over
    std::printf("sweep: %zu scripts, %llu fault positions, %llu findings\n", scripts.size(),
                static_cast<unsigned long long>(sweep.Positions()),
                static_cast<unsigned long long>(sweep.Findings()));
    std::fflush(stdout); // before a leak found as the program ends cuts it short
    return sweep.Findings() == 0 ? 0 : 1;
}
