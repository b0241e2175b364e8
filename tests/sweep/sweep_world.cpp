#include "sweep/sweep_world.h"

#include <cstring>
#include <functional>
#include <iterator>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "check/suite.h"
#include "console/interrupt.h"
#include "frame/exports.h"
#include "frame/feature_exports.h"
#include "frame/plugin_identity.h"
#include "plugin/clipboard_variable.h"
#include "plugin/plugin_loader.h"
#include "runner/script_runner.h"
#include "session/session.h"
#include "store/buffer_record.h"
#include "store/last_transfer.h"
#include "sweep/sweep_checks.h"
#include "text/format.h"
#include "text/u16.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizers' allocator says whether a block is live (GCC ships no header for it).
extern "C" int __sanitizer_get_ownership(const volatile void* p);
#endif

namespace sweep {
namespace {

constexpr char16_t kScriptFolder[] = u"/fake/scripts/";
constexpr char16_t kWorkFolder[] = u"/fake/cwd/";
constexpr char16_t kLibraryPath[] = u"/fake/bin/Korvanite.so";

Run* Current = nullptr;
int Depth = 0;         // export calls under way: the plug-in's calls are counted while above 0
bool InScript = false; // the script's lines run (the plug-in is loaded and not yet unloaded)

// Where each call's output began in the streams, by the call's index, and (in the baseline) how
// often each file had been written.
struct OutputStarts {
    size_t out, err, console, messageBoxes;
    std::map<std::u16string, uint64_t> fileVersions;
};
std::vector<OutputStarts> Starts;

// A trunk's calls under way, innermost last, with the world as each began (for the calls the
// baseline saw make fallible calls).
struct ActiveCall {
    int index;
    std::optional<WorldCopy> before;
    Resources resources;
};
std::vector<ActiveCall> Active;

// The sweep reads megabytes for every run: its loops over bytes are built with optimisation
// (CMakeLists.txt) and without the sanitizers' checks of every load, touching nothing but the
// bytes themselves (a function of the library would not be inlined into them).

// A digest to tell contents apart: four lanes of 64-bit words, each folded with a multiply.
__attribute__((no_sanitize_address)) uint64_t DigestOf(const char* at, size_t left) {
    constexpr uint64_t kPrime = 0x100000001B3ull;
    uint64_t lanes[4] = {left, 1, 2, 3};
    for (; left >= 32; at += 32, left -= 32) {
        for (int lane = 0; lane < 4; ++lane) {
            uint64_t word;
            __builtin_memcpy(&word, at + 8 * lane, 8);
            lanes[lane] = (lanes[lane] ^ word) * kPrime;
        }
    }
    uint64_t digest = 0;
    for (uint64_t lane : lanes) digest = (digest ^ lane ^ (lane >> 29)) * kPrime;
    for (; left > 0; ++at, --left) digest = (digest ^ uint8_t(*at)) * kPrime;
    return digest;
}

__attribute__((no_sanitize_address)) bool SameRun(const char* a, const char* b, size_t size) {
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t x;
        uint64_t y;
        __builtin_memcpy(&x, a + i, 8);
        __builtin_memcpy(&y, b + i, 8);
        if (x != y) return false;
    }
    for (; i < size; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

size_t TextDigest(std::string_view bytes) {
    return size_t(DigestOf(bytes.data(), bytes.size()));
}

bool SameFiles(const std::map<std::u16string, fake::FileBytes>& a,
               const std::map<std::u16string, fake::FileBytes>& b) {
    if (a.size() != b.size()) return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (i->first != j->first || !SameBytes(i->second, j->second)) return false;
    return true;
}

std::string_view BlockBytes(const fake::HeapBlock& block) {
    return std::string_view(reinterpret_cast<const char*>(block.address), block.size);
}

bool WritesFiles(std::string_view name) {
    return name == "f_bsave" || name == "f_bpatch";
}

std::u16string ProcessKeyPath() {
    char16_t id[16];
    text::Format(id, 16, u"%08X", fake::kDefaultProcessId);
    return std::u16string(u"SOFTWARE\\RURoruved\\") + plugin::kName + u"\\" + id;
}

std::map<uintptr_t, uint32_t> Records() {
    std::map<uintptr_t, uint32_t> records;
    for (const fake::RegistryEntry& entry :
         fake::RegistryValuesOf(sys::RegistryRoot::CurrentUser, ProcessKeyPath())) {
        if (entry.type != sys::kRegBinary || entry.data.size() != kRecordBytes) continue;
        BufferRecord record{};
        std::memcpy(&record, entry.data.data(), kRecordBytes);
        records[record.address] = record.size;
    }
    return records;
}

// The text of a host buffer up to its terminator, never past the host's capacity.
std::u16string HostText(const HostChar* text) {
    const char16_t* units = FromHost(text);
    size_t length = 0;
    while (length < size_t(kHostExpandCapacity) && units[length] != 0) ++length;
    return std::u16string(units, length);
}

// The files written or emptied since the versions were taken, as they are now.
std::map<std::u16string, fake::FileBytes>
FilesWrittenSince(const std::map<std::u16string, uint64_t>& versions) {
    std::map<std::u16string, fake::FileBytes> written;
    for (const auto& [name, version] : fake::TransferFileVersions()) {
        auto old = versions.find(name);
        if (old == versions.end() || old->second != version)
            written[name] = fake::TransferFiles().at(name);
    }
    return written;
}

// Whether the call is one the baseline saw make fallible calls: only those can meet a fault.
bool MayFail(const Run& run, int index) {
    const std::vector<ExportCall>& seen = run.trunkOf->calls;
    return size_t(index) < seen.size() &&
           seen[size_t(index)].callsAfter > seen[size_t(index)].callsBefore;
}

int BeginCall(const char* name, bool feature, const HostChar* text) {
    Run& run = *Current;
    host::Session& session = host::ActiveSession();
    const int line = session.script.inBatch ? session.script.batchLine : 0;
    // After the fault, the first call on another line shows that the host went on; the script
    // ends with that line, and the call is not made.
    if (InScript && run.faultMet && !run.stoppedEarly && line != run.faultLine) {
        run.stoppedEarly = true;
        session.script.quitRequested = true;
    }
    // Loading and unloading still happen, so that the plug-in's state stays the host's.
    if (InScript && run.stoppedEarly && feature) return -1;

    ExportCall call;
    call.name = name;
    call.feature = feature;
    call.nullText = feature && text == nullptr;
    if (feature && text != nullptr) call.argument = HostText(text);
    call.line = line;
    call.callsBefore = fake::FallibleCalls();
    const int index = static_cast<int>(run.calls.size());
    Starts.push_back(OutputStarts{fake::StdOut().size(),
                                  fake::StdErr().size(),
                                  fake::ConsoleDeviceText().size(),
                                  fake::MessageBoxes().size(),
                                  {}});
    if (run.baseline) Starts.back().fileVersions = fake::TransferFileVersions();
    if (run.trunkOf != nullptr) {
        ActiveCall active{index, std::nullopt, {}};
        if (run.plan.position == 0 && MayFail(run, index)) {
            active.before = CopyWorld();
            active.resources = CaptureResources();
        }
        Active.push_back(std::move(active));
    }
    run.calls.push_back(std::move(call));
    if (Depth++ == 0) fake::CountFallibleCalls(true);
    return index;
}

std::string Since(const std::string& stream, size_t from) {
    return from <= stream.size() ? stream.substr(from) : std::string();
}

// Whether a block of new (std::nothrow) is still live: the plug-in keeps none past a call.
bool StillAllocated([[maybe_unused]] void* block) {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_ownership(block) != 0;
#else
    return false;
#endif
}

// The faulted call has ended: how the world differs from before it.
void NoteFaultedCall(Run& run, const ExportCall& call, int index) {
    run.faultMet = fake::FaultsMet() > 0;
    run.faultKind = fake::LastFaultCall();
    run.faultLine = call.line;
    if (!run.faultMet) run.harnessFaults.push_back("the fault fell outside the call");
    if (!run.before) return;
    run.change = ChangeSince(*run.before, !WritesFiles(call.name));
    run.handlerTakesEvents =
        fake::ControlHandlerInstalled() && ConsoleCtrlHandler(sys::kCtrlCEvent) != 0;
    run.storeAfter = ViewStore();
    run.resourcesAfter = CaptureResources();
    const ExportCall& expected = run.trunkOf->calls[size_t(index)];
    if (WritesFiles(call.name))
        run.writtenFilesFault =
            WrittenFileFault(run.before->files, fake::TransferFiles(), expected);
    // Only a call that gives the baseline's result may have done the baseline's work.
    if (call.result == expected.result && call.text == expected.text)
        run.digestAfter = DigestWorld();
}

void EndCall(int index, int result, const HostChar* text) {
    if (index < 0) return;
    Run& run = *Current;
    if (--Depth == 0) {
        fake::CountFallibleCalls(false);
        for (void* block : fake::TakeWatchedMemory())
            if (StillAllocated(block)) run.leakingCalls.push_back(index);
    }
    if (run.trunkOf != nullptr) Active.pop_back();
    ExportCall& call = run.calls[static_cast<size_t>(index)];
    call.result = result;
    if (call.feature && text != nullptr) call.text = HostText(text);
    call.callsAfter = fake::FallibleCalls();
    const OutputStarts& starts = Starts[static_cast<size_t>(index)];
    call.out = Since(fake::StdOut(), starts.out);
    call.err = Since(fake::StdErr(), starts.err);
    call.console = Since(fake::ConsoleDeviceText(), starts.console);
    call.messageBoxes = fake::MessageBoxes().size() - starts.messageBoxes;
    if (index == run.plan.call) NoteFaultedCall(run, call, index);
    if (run.baseline && call.callsAfter > call.callsBefore) {
        call.worldAfter = DigestWorld();
        call.filesWritten = FilesWrittenSince(starts.fileVersions);
    }
}

// The same export, with the call recorded around it.
template <auto Export>
struct Wrapped;

template <typename R, typename... A, R (*Export)(A...)>
struct Wrapped<Export> {
    static constexpr bool kFeature = std::is_same_v<std::tuple<A...>, std::tuple<HostChar*>>;

    static inline const char* name = "";

    static R Call(A... args) {
        const HostChar* text = nullptr;
        if constexpr (kFeature) text = std::get<0>(std::tuple<A...>(args...));
        const int index = BeginCall(name, kFeature, text);
        if (index < 0) {
            if constexpr (std::is_same_v<R, int>) return -1;
            return R{};
        }
        R result = Export(args...);
        if constexpr (std::is_same_v<R, int>)
            EndCall(index, result, text);
        else
            EndCall(index, 0, text);
        return result;
    }
};

struct WrappedExport {
    const char* name;
    void* address;
    const char** nameSlot;
};

template <auto Export>
WrappedExport Wrap(const char* name) {
    return WrappedExport{name, reinterpret_cast<void*>(&Wrapped<Export>::Call),
                         &Wrapped<Export>::name};
}

const std::vector<WrappedExport>& WrappedExports() {
    static const std::vector<WrappedExport> table = [] {
        std::vector<WrappedExport> exports = {
            Wrap<&InitializePlugin>("InitializePlugin"),
            Wrap<&ShutdownPlugin>("ShutdownPlugin"),
            Wrap<&GetPluginInfo>("GetPluginInfo"),
            Wrap<&Usage>("Usage"),
            Wrap<&Help>("Help"),
            Wrap<&ClverExport>("_clver$"),
#define KV_COMMAND(name, ...) Wrap<&name>(#name),
#define KV_FUNCTION(name, ...) Wrap<&f_##name>("f_" #name),
#define KV_VARIABLE(name, ...) Wrap<&_##name>("_" #name),
#include "frame/features.def"
        };
        for (const WrappedExport& entry : exports) *entry.nameSlot = entry.name;
        return exports;
    }();
    return table;
}

void* FindWrapped(const char* name) {
    for (const WrappedExport& entry : WrappedExports())
        if (std::strcmp(entry.name, name) == 0) return entry.address;
    return nullptr;
}

// A trunk at a fallible call: in a child that is to fail it, the run becomes the run with this
// fault, the world before the call under way being what the trunk saw when it began.
std::optional<uint32_t> AtFallibleCall(fake::Call kind) {
    Run& run = *Current;
    if (run.trunkOf == nullptr || run.plan.position != 0 || !run.forkAt || Active.empty())
        return std::nullopt;
    const uint64_t position = fake::FallibleCalls();
    std::optional<uint32_t> code = run.forkAt(position, kind);
    if (!code) return std::nullopt;
    ActiveCall& active = Active.back();
    run.plan = FaultPlan{position, *code, active.index};
    if (!active.before) {
        run.harnessFaults.push_back("the fault fell in a call the baseline saw make none");
        return code;
    }
    run.before = std::move(active.before);
    run.resourcesBefore = active.resources;
    return code;
}

} // namespace

bool SameBytes(std::string_view a, std::string_view b) {
    return a.size() == b.size() && SameRun(a.data(), b.data(), a.size());
}

WorldCopy CopyWorld() {
    WorldCopy copy;
    copy.lastError = LastError;
    copy.lastLoadSize = LastLoadSize;
    for (const fake::HeapBlock& block : fake::LiveHeapBlockList())
        copy.blocks[block.address] = BlockDigest{block.size, TextDigest(BlockBytes(block))};
    copy.records = Records();
    copy.files = fake::TransferFiles();
    copy.fileChanges = fake::TransferFileChanges();
    return copy;
}

WorldChange ChangeSince(const WorldCopy& before, bool withFiles) {
    WorldChange change;
    change.lastError = LastError;
    change.lastLoadSize = LastLoadSize;
    change.loadSizeChanged = change.lastLoadSize != before.lastLoadSize;
    change.transferOutcome = change.lastError != before.lastError || change.loadSizeChanged;
    std::map<uintptr_t, bool> seen;
    for (const fake::HeapBlock& block : fake::LiveHeapBlockList()) {
        auto old = before.blocks.find(block.address);
        if (old == before.blocks.end())
            change.added.push_back(block.address);
        else if (old->second != BlockDigest{block.size, TextDigest(BlockBytes(block))})
            change.blocks = true;
        seen[block.address] = true;
    }
    for (const auto& [address, bytes] : before.blocks)
        if (!seen.contains(address)) change.removed.push_back(address);
    change.records = Records() != before.records;
    change.files = withFiles && fake::TransferFileChanges() != before.fileChanges &&
                   !SameFiles(fake::TransferFiles(), before.files);
    return change;
}

WorldDigests DigestWorld() {
    WorldDigests digests;
    auto mix = [](uint64_t& digest, uint64_t value) {
        digest = (digest ^ value) * 0x100000001B3ull;
    };
    mix(digests.store, static_cast<uint32_t>(LastError));
    mix(digests.store, LastLoadSize);
    for (const fake::HeapBlock& block : fake::LiveHeapBlockList()) {
        mix(digests.store, block.address);
        mix(digests.store, TextDigest(BlockBytes(block)));
    }
    for (const auto& [address, size] : Records())
        mix(digests.store, address ^ (uint64_t{size} << 40));
    for (const auto& [name, bytes] : fake::TransferFiles()) {
        mix(digests.files, std::hash<std::u16string>{}(name));
        mix(digests.files, TextDigest(bytes));
    }
    return digests;
}

StoreView ViewStore() {
    StoreView view;
    for (const fake::HeapBlock& block : fake::LiveHeapBlockList())
        view.blocks[block.address] = block.size;
    view.records = Records();
    return view;
}

Resources CaptureResources() {
    Resources resources;
    resources.openFiles = fake::OpenTransferFiles();
    resources.openKeys = fake::OpenRegistryKeys();
    resources.consoleDevices = fake::OpenConsoleDevices();
    resources.randomSources = fake::OpenRandomSources();
    resources.digests = fake::OpenDigests();
    resources.keyInputDepth = fake::KeyInputDepth();
    resources.handlerInstalled = fake::ControlHandlerInstalled();
    resources.clipboardOpen = fake::ClipboardIsOpen() || fake::ClipboardIsLocked();
    return resources;
}

std::u16string ScriptPath(const Script& script) {
    return kScriptFolder + text::FromUtf8(script.name) + u".btm";
}

void RunScript(const Script& script, Run& run) {
    fake::Reset();
    fake::CountFallibleCalls(false);
    if (run.trunkOf != nullptr) fake::SetFallibleCallHook(AtFallibleCall);
    fake::ProvideLibrary(kLibraryPath, FindWrapped);
    fake::WatchMemory(true);
    const std::u16string path = ScriptPath(script);
    fake::AddFile(path, script.content);
    for (const auto& [name, bytes] : script.neighbours) {
        fake::AddFile(kScriptFolder + name, bytes);
        fake::PutTransferFile(kScriptFolder + name, bytes);
    }
    for (const auto& [name, bytes] : script.workFiles) {
        fake::AddFile(kWorkFolder + name, bytes);
        fake::PutTransferFile(kWorkFolder + name, bytes);
    }
    Starts.clear();
    Active.clear();
    LastError = 0;
    LastLoadSize = 0;

    Current = &run;
    Depth = 0;
    {
        host::Session session;
        host::InitSession(session);
        host::ActivateSession active(session);
        session.pluginPath = kLibraryPath;
        for (const auto& [name, value] :
             host::LeadingEnvironmentLines(host::SplitScriptLines(script.content)))
            (void)host::ChangeEnvironment(session, name, value);
        host::ShareClipboardVariable(session);
        if (host::LoadPluginLibrary(session, session.pluginPath) == host::LoadOutcome::Loaded) {
            run.loaded = true;
            InScript = true;
            host::RunScriptText(session, script.content, path, {path});
            InScript = false;
            run.status = session.script.exitRequested ? session.script.exitStatus
                                                      : session.script.lastResult;
        }
        run.storeBeforeUnload = ViewStore();
        host::UnloadPlugin(session, 1);
        host::ResetScriptState(session);
    }
    run.resourcesAtEnd = CaptureResources();
    run.fallibleCalls = fake::FallibleCalls();
    Current = nullptr;
}

} // namespace sweep
