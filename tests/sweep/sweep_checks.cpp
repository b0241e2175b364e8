#include "sweep/sweep_checks.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "text/u16.h"

namespace sweep {
namespace {

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsRegistryCall(fake::Call kind) {
    return kind == fake::Call::RegistryCreate || kind == fake::Call::RegistryOpen ||
           kind == fake::Call::RegistrySet || kind == fake::Call::RegistryRead ||
           kind == fake::Call::RegistryDelete;
}

std::string Quoted(const std::u16string& text) {
    std::string utf8 = text::ToUtf8(text);
    if (utf8.size() > 60) utf8 = utf8.substr(0, 57) + "...";
    return "\"" + utf8 + "\"";
}

// Every record names a live block of its size, but those of `stale`, records the documents let
// stay when their blocks went; every live block has a record or is one of `unlisted`, the
// buffers the documents let go without one.
std::string StoreFault(const StoreView& store, const std::set<uintptr_t>& unlisted,
                       const std::set<uintptr_t>& stale) {
    for (const auto& [address, size] : store.records) {
        if (stale.contains(address)) continue;
        auto block = store.blocks.find(address);
        if (block == store.blocks.end()) return "a record without a live block";
        if (block->second != size) return "a record of another size than its block";
    }
    for (const auto& [address, size] : store.blocks)
        if (!store.records.contains(address) && !unlisted.contains(address))
            return "a heap block without a record";
    return "";
}

// Whether every byte of `now` is the byte of `old` or of `written` at its place: compared a
// stretch at a time, since files are large and most stretches are wholly one or the other.
bool OnlyOldOrNewBytes(std::string_view old, std::string_view written, std::string_view now) {
    constexpr size_t kStretch = 4096;
    auto same = [&now](std::string_view other, size_t at, size_t length) {
        return at + length <= other.size() &&
               SameBytes(now.substr(at, length), other.substr(at, length));
    };
    for (size_t at = 0; at < now.size(); at += kStretch) {
        const size_t length = std::min(kStretch, now.size() - at);
        if (same(old, at, length) || same(written, at, length)) continue;
        for (size_t i = at; i < at + length; ++i)
            if (!same(old, i, 1) && !same(written, i, 1)) return false;
    }
    return true;
}

// The state a failing feature leaves: its buffers, the list and, but for a transfer, the files
// and the outcome of the last transfer as they were.
std::string UnchangedFault(std::string_view name, const Run& run) {
    const WorldChange& change = run.change;
    // @BFREEALL frees what it can: the buffers whose records could not be deleted stay listed
    // (the store's check sees that every one that went took its record along).
    if (name == "f_bfreeall") {
        if (change.blocks || !change.added.empty()) return "a failed call changed the buffers";
    } else {
        if (change.blocks || !change.added.empty() || !change.removed.empty())
            return "a failed call changed the buffers";
        if (change.records) return "a failed call changed the list of buffers";
    }
    if (IsOneOf(name, {"f_bsave", "f_bpatch"})) {
        if (!run.writtenFilesFault.empty()) return run.writtenFilesFault;
    } else if (change.files) {
        return "a failed call changed a file";
    }
    if (IsOneOf(name, {"f_bload", "f_bloadpart", "f_bsave", "f_bpatch"})) {
        if (change.lastError == 0) return "a failed transfer left _BBLASTERR 0";
        if (change.lastLoadSize != 0 && IsOneOf(name, {"f_bload", "f_bloadpart"}))
            return "a failed load left _BLOADSIZE";
    } else if (name == "f_bfilehash") {
        // A digest of a file says why it failed, and is no load.
        if (change.lastError == 0) return "a failed digest of a file left _BBLASTERR 0";
        if (change.loadSizeChanged) return "a digest of a file changed _BLOADSIZE";
    } else if (change.transferOutcome) {
        return "a call that is no transfer changed _BBLASTERR or _BLOADSIZE";
    }
    return "";
}

// Whether the faulted call's outcome is one its documents give for a failure, or the work done
// all the same; an empty text when it is, else what is wrong. A buffer the documents let go
// without a record joins `unlisted`, a record left without its block `stale`.
std::string OutcomeFault(const ExportCall& expected, const ExportCall& got, const Run& run,
                         std::set<uintptr_t>& unlisted, std::set<uintptr_t>& stale) {
    const fake::Call kind = run.faultKind;
    // The records are read and deleted as the design has it: records that cannot be read count
    // as none (@BFREE: "Handle not in list", or "1" for a block it then finds without a record;
    // @BFREEALL fewer; BBLIST fewer or "No binary buffers allocated."), and a block goes back to
    // the heap even when its record cannot be deleted, the record left naming no block. No
    // buffer may come of it, nor a block lose its record.
    if ((IsRegistryCall(kind) || kind == fake::Call::Memory) &&
        IsOneOf(got.name, {"f_bfree", "f_bfreeall", "bblist"})) {
        if (!run.change.added.empty() || run.change.blocks)
            return "records that could not be read or deleted changed the buffers";
        for (const auto& [address, size] : run.storeAfter.records)
            if (!run.storeAfter.blocks.contains(address)) stale.insert(address);
        return "";
    }
    const bool sameResult = got.result == expected.result && got.text == expected.text;
    const bool sameStore = run.digestAfter && expected.worldAfter &&
                           run.digestAfter->store == expected.worldAfter->store;
    const bool sameWorld = sameStore && run.digestAfter->files == expected.worldAfter->files;
    const bool sameOutput = got.out == expected.out && got.err == expected.err &&
                            got.console == expected.console &&
                            got.messageBoxes == expected.messageBoxes;
    if (sameResult && sameWorld && sameOutput) return ""; // worked around, or nothing lost
    // Output that a stream did not take is lost, as the host's own is (a file that stands for
    // standard output keeps what it took); the host reports its standard output's failure.
    if (kind == fake::Call::StreamWrite && sameResult && sameStore) return "";
    const std::string_view name = got.name;
    if (name.starts_with("f_")) {
        if (got.result == -1) {
            const bool silent = name == "f_bsave" || kind == fake::Call::StreamWrite;
            if (!silent && got.err.empty()) return "failed without a message";
            return UnchangedFault(name, run);
        }
        if (got.result == 0 && got.text == u"0" &&
            IsOneOf(name, {"f_balloc", "f_bload", "f_bloadpart", "f_bpatch", "f_brandfill",
                           "f_bhash", "f_bfilehash"})) {
            // A generator that fails midway leaves what it filled before (the documents say
            // so): the rest of the buffers and the list stay.
            const WorldChange& change = run.change;
            if (name == "f_brandfill" && kind == fake::Call::RandomFill)
                return change.added.empty() && change.removed.empty() && !change.records
                           ? ""
                           : "a failed fill changed the list of buffers";
            return UnchangedFault(name, run);
        }
        // A buffer whose record cannot be written is still allocated and returned, unlisted.
        if (IsRegistryCall(kind) && IsOneOf(name, {"f_balloc", "f_bload", "f_bloadpart"}) &&
            sameResult) {
            const std::vector<uintptr_t>& added = run.change.added;
            if (added.size() != 1 || run.storeAfter.records.contains(added[0]) ||
                !run.change.removed.empty() || run.change.blocks)
                return "an allocation without its record left the buffers wrong";
            unlisted.insert(added[0]);
            return "";
        }
    } else if (IsOneOf(name, {"bbdump", "bblist"})) {
        if (got.result != 0 && !got.err.empty()) {
            if (run.change.blocks || run.change.records)
                return "a failed command changed the buffers";
            return "";
        }
    } else if (name == "ShutdownPlugin") {
        // The records go with the process at the latest: a key that stays is no failure.
        if (kind == fake::Call::RegistryDelete && got.result == 0) return "";
    } else if (name == "Help") {
        if (got.result == 1 && got.messageBoxes == 1) return ""; // "Missing Help File"
    }
    std::string what = "gave " + std::to_string(got.result) + " " + Quoted(got.text) +
                       " (without the fault " + std::to_string(expected.result) + " " +
                       Quoted(expected.text) + ")";
    if (sameResult && !sameWorld) what += ", the world changed otherwise";
    if (!sameOutput) what += ", other output";
    return "a failure passed for success: " + what;
}

// What a call holds when it has ended, against what was held before it (the host's own files,
// the console device of the loaded plug-in), or against nothing at all.
std::string ResourceFault(const Resources& now, const Resources& before, int consoleChange) {
    if (now.openFiles > before.openFiles) return "a file left open";
    if (now.openKeys > before.openKeys) return "a registry key left open";
    if (now.consoleDevices > before.consoleDevices + consoleChange)
        return "a console device left open";
    if (now.randomSources > before.randomSources) return "a random source left open";
    if (now.digests > before.digests) return "a digest left open";
    if (now.keyInputDepth > before.keyInputDepth) return "key input left on";
    if (now.handlerInstalled && !before.handlerInstalled)
        return "the control handler left installed";
    if (now.clipboardOpen && !before.clipboardOpen) return "the clipboard left open";
    return "";
}

} // namespace

std::string WrittenFileFault(const std::map<std::u16string, fake::FileBytes>& before,
                             const std::map<std::u16string, fake::FileBytes>& after,
                             const ExportCall& expected) {
    std::set<std::u16string> names;
    for (const auto& [name, bytes] : before) names.insert(name);
    for (const auto& [name, bytes] : after) names.insert(name);
    for (const std::u16string& name : names) {
        auto old = before.find(name);
        auto now = after.find(name);
        const std::string_view oldBytes = old == before.end() ? "" : std::string_view(old->second);
        const std::string_view nowBytes = now == after.end() ? "" : std::string_view(now->second);
        if (old != before.end() && now != after.end() && SameBytes(oldBytes, nowBytes)) continue;
        auto written = expected.filesWritten.find(name);
        if (written == expected.filesWritten.end()) return "a file the call does not write changed";
        const std::string_view newBytes = written->second;
        if (nowBytes.size() > std::max(oldBytes.size(), newBytes.size()))
            return "a file grew beyond what the call writes";
        if (!OnlyOldOrNewBytes(oldBytes, newBytes, nowBytes))
            return "a file holds bytes the call never wrote";
    }
    return "";
}

std::vector<std::string> Judge(const Run& baseline, const Run& run) {
    std::vector<std::string> faults = run.harnessFaults;
    auto add = [&faults](const std::string& fault) {
        if (!fault.empty()) faults.push_back(fault);
    };
    std::set<uintptr_t> unlisted, stale;
    const int index = run.plan.call;
    if (run.faultMet && index >= 0 && size_t(index) < run.calls.size() && run.before) {
        const ExportCall& expected = baseline.calls[size_t(index)];
        const ExportCall& got = run.calls[size_t(index)];
        add(OutcomeFault(expected, got, run, unlisted, stale));
        // Loading opens the console device, which unloading closes. A control handler that
        // could not be removed lets every event through until the next removal takes it away.
        const int consoleChange = got.name == "InitializePlugin" ? 1 : 0;
        Resources before = run.resourcesBefore;
        if (run.faultKind == fake::Call::ControlHandler && !run.handlerTakesEvents)
            before.handlerInstalled = true;
        add(ResourceFault(run.resourcesAfter, before, consoleChange));
        add(StoreFault(run.storeAfter, unlisted, stale));
    }
    for (int call : run.leakingCalls)
        if (call >= index) add("memory kept past the end of " + run.calls[size_t(call)].name);
    if (run.loaded) add(StoreFault(run.storeBeforeUnload, unlisted, stale));
    if (const std::string left = ResourceFault(run.resourcesAtEnd, Resources{}, 0); !left.empty())
        faults.push_back(left + " after the unload");
    return faults;
}

} // namespace sweep
