// One run of a script test in-process: the host engine over the fake system, the plug-in bound
// through wrappers that count the fallible calls it makes (itself or through the host's services)
// and record what each export call did, with at most one fault planned.
//
// A run without a fault, the baseline, records what every call did. A trunk runs the script once
// more and, at each position it is given, hands over to a child process (fork) whose run fails
// the call there and goes on as a run with that fault: so that no run repeats the script up to
// its fault.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fake/fake_sys.h"

namespace sweep {

// A script and the files it reads, as the fake file system gives them to it.
struct Script {
    std::string name; // without ".btm"
    std::string content;
    std::map<std::u16string, std::string> neighbours; // by file name: data files beside it
    std::map<std::u16string, std::string> workFiles;  // files in the folder it runs in
};

// What the documents say a failing call leaves as it was: the buffers, their list, the files and
// the outcome of the last transfer. A trunk copies it as each call that may fail begins: the
// blocks by their sizes and digests (a child's first look at a page after the fork costs the
// most), the files whole (a failed write is judged byte by byte).
struct BlockDigest {
    size_t size = 0;
    uint64_t digest = 0;
    bool operator==(const BlockDigest&) const = default;
};
struct WorldCopy {
    int32_t lastError = 0;
    uint64_t lastLoadSize = 0;
    std::map<uintptr_t, BlockDigest> blocks;         // the live heap blocks
    std::map<uintptr_t, uint32_t> records;           // the buffer records: address and size
    std::map<std::u16string, fake::FileBytes> files; // every file by its full name
    uint64_t fileChanges = 0;                        // the fake's count of file changes then
};
WorldCopy CopyWorld();

// How the world now differs from a copy.
struct WorldChange {
    bool blocks = false; // a block's bytes
    std::vector<uintptr_t> added, removed;
    bool records = false;
    bool files = false;
    bool transferOutcome = false; // _BBLASTERR or _BLOADSIZE
    int32_t lastError = 0;        // as they are now
    uint64_t lastLoadSize = 0;
    bool loadSizeChanged = false;
};
// Files are compared only `withFiles` (a writer's files are judged on their own).
WorldChange ChangeSince(const WorldCopy& before, bool withFiles);

// Digests of the world now, to compare runs: of the store (the buffers, their list and the
// transfer outcome) and of the files.
struct WorldDigests {
    uint64_t store = 0;
    uint64_t files = 0;
    bool operator==(const WorldDigests&) const = default;
};
WorldDigests DigestWorld();

// Whether two runs of bytes are the same: what compares the large blocks and files of a world.
bool SameBytes(std::string_view a, std::string_view b);

// The store now: the sizes of the live blocks, and the records.
struct StoreView {
    std::map<uintptr_t, size_t> blocks;
    std::map<uintptr_t, uint32_t> records;
};
StoreView ViewStore();

// What the resources outside the store look like between calls.
struct Resources {
    int openFiles = 0;
    size_t openKeys = 0;
    int consoleDevices = 0;
    int randomSources = 0;
    int digests = 0;
    int keyInputDepth = 0;
    bool handlerInstalled = false;
    bool clipboardOpen = false;
    bool operator==(const Resources&) const = default;
};
Resources CaptureResources();

// One call of an export, as its wrapper saw it.
struct ExportCall {
    std::string name;
    bool feature = false; // takes a text and writes its result over it
    bool nullText = false;
    std::u16string argument;
    int result = 0;
    std::u16string text;
    int line = 0;             // the script line that made it
    uint64_t callsBefore = 0; // fallible calls counted before it began, and when it ended
    uint64_t callsAfter = 0;
    std::string out, err, console;          // what it wrote
    size_t messageBoxes = 0;                // shown by it
    std::optional<WorldDigests> worldAfter; // the world after it (only where needed)
    // The files it wrote or emptied, as they were after it, for a run that fails it.
    std::map<std::u16string, fake::FileBytes> filesWritten;
};

// Where a run meets its fault.
struct FaultPlan {
    uint64_t position = 0; // the Nth fallible call fails; 0: none
    uint32_t code = fake::kUsualCode;
    int call = -1; // the export call (by its index in the run) the fault falls in
};

// A trunk's choice at a fallible call: in a child that is to fail it, the code to fail it with;
// nothing in the trunk itself.
using ForkAt = std::function<std::optional<uint32_t>(uint64_t position, fake::Call kind)>;

// One run of a script, what it saw, and, around the faulted call, the world before and after.
struct Run {
    FaultPlan plan;
    bool baseline = false;        // record a digest of the world after every call that counts
    const Run* trunkOf = nullptr; // the baseline this run (a trunk, or its child) goes by
    ForkAt forkAt;                // a trunk's choice at each fallible call
    std::vector<ExportCall> calls;
    uint64_t fallibleCalls = 0;
    int status = 0;
    bool loaded = false;
    // Around the faulted call.
    bool faultMet = false;
    int faultLine = 0;
    fake::Call faultKind = fake::Call::Any;
    std::optional<WorldCopy> before;
    WorldChange change;
    StoreView storeAfter;
    std::optional<WorldDigests> digestAfter; // taken when its result is the baseline's
    std::string writtenFilesFault;           // sweep_checks.h's WrittenFileFault, for a writer
    bool handlerTakesEvents = false;         // the control handler would take Ctrl-C after it
    Resources resourcesBefore, resourcesAfter;
    // After it.
    bool stoppedEarly = false; // ended at the first plug-in call on a later line, not made
    StoreView storeBeforeUnload;
    Resources resourcesAtEnd;
    std::vector<std::string> harnessFaults;
    // The calls that kept memory of the C++ runtime past their end, by index (sanitized builds,
    // which can tell a live block from a freed one).
    std::vector<int> leakingCalls;
};

// Runs the script in a fresh fake world, with the plan's fault, until its end or, after the
// fault, until the first plug-in call on a later line (the host went on: what comes after is
// another position's run); then unloads the plug-in. In a child of a trunk it returns as the run
// with the child's fault (run.plan.position is then not 0).
void RunScript(const Script& script, Run& run);

// The full path the script runs under.
std::u16string ScriptPath(const Script& script);

} // namespace sweep
