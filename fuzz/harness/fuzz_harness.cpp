// Runs one fuzz input against the plug-in bound to the host engine over the fake backend, with
// the fault the input places, and checks what every feature promises: a terminated result
// within the host's buffer, a result code from the documented set, an error message for every
// reported failure, buffers and their records in step, and no handle, clipboard or temporary
// block held after the call.
#include "harness/fuzz_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

#include "console/interrupt.h"
#include "fake/fake_sys.h"
#include "fake/linked_plugin.h"
#include "frame/args.h"
#include "frame/exports.h"
#include "frame/feature_exports.h"
#include "frame/function_start.h"
#include "frame/numbers.h"
#include "frame/plugin_state.h"
#include "harness/fuzz_input.h"
#include "plugin/plugin_loader.h"
#include "session/session.h"
#include "store/buffer_registry.h"
#include "store/last_transfer.h"
#include "sys/sys.h"
#include "text/u16.h"

namespace fuzzing {
namespace {

struct TargetInfo {
    const char* name;
    FeatureExport feature; // null for the parsers
    std::vector<int> results;
    bool silentFailure;       // -1 may come without a message
    bool keepsBuffersOnError; // a failed call changes no buffer
    bool mayGiveEmpty;        // success may leave an empty result
};

// What a feature may do beyond the rules of its kind: a variable function gives 0, -1 or 87,
// with a message for every -1, changes no buffer when it fails and always gives a result; an
// internal variable gives 0 or 87.
TargetInfo FeatureInfo(const char* name, FeatureExport feature, bool variable) {
    const std::string_view n(name);
    TargetInfo info{name, feature, {0, -1, 87}, false, true, false};
    if (variable) info.results = {0, 87};
    if (n == "bbdump") info = {name, feature, {0, 1, -1, 2, 3, 87}, true, true, true};
    if (n == "bblist") info = {name, feature, {0, 1, 3, 87}, true, true, true};
    if (n == "bsave") info.silentFailure = true;           // a file that cannot be written
    if (n == "bfreeall") info.keepsBuffersOnError = false; // it frees what it can
    if (n == "bgettext") info.mayGiveEmpty = true;         // a text that begins with its terminator
    return info;
}

const TargetInfo& Info(Target target) {
    static const TargetInfo infos[kTargetCount] = {
        {"split_arguments", nullptr, {}, false, false, false},
        {"parse_u32", nullptr, {}, false, false, false},
        {"parse_u64", nullptr, {}, false, false, false},
        {"parse_s64", nullptr, {}, false, false, false},
        {"parse_size", nullptr, {}, false, false, false},
        {"parse_buffer_handle", nullptr, {}, false, false, false},
#define KV_COMMAND(name, ...) FeatureInfo(#name, name, false),
#define KV_FUNCTION(name, ...) FeatureInfo(#name, f_##name, false),
#define KV_VARIABLE(name, ...) FeatureInfo(#name, _##name, true),
#include "frame/features.def"
    };
    return infos[static_cast<int>(target)];
}

// Buffer sizes the first input byte chooses from: odd sizes, word sizes, pages, a large block.
constexpr uint32_t kBufferSizes[8] = {1, 7, 8, 13, 64, 256, 4096, 65536};
// Each buffer has a region of its own, so that its end can sit at the end of a page and a read
// past it faults. With 64-bit handles the regions lie above 4 GiB, so that a handle cut to 32
// bits names no buffer.
#if defined(KV_WIDE_ADDRESSES)
constexpr uintptr_t kSlotBase = uintptr_t{0x7E00} << 32;
#else
constexpr uintptr_t kSlotBase = 0x01000000;
#endif
constexpr uintptr_t kSlotStride = 0x00100000;
constexpr uintptr_t kPage = 4096;
// Larger blocks are refused as a full heap would refuse them.
constexpr size_t kLargestBlock = 16u << 20;

uintptr_t SlotAddress(int slot, uint32_t size) {
    const uintptr_t rounded = (size + 7u) & ~uintptr_t{7};
    const uintptr_t pages = (rounded + kPage - 1) / kPage * kPage;
    return kSlotBase + static_cast<uintptr_t>(slot) * kSlotStride + pages - rounded;
}

// Calls an export on a text in a host-sized buffer; the units after the terminator hold
// garbage, as the host's buffer may.
struct HostBuffer {
    std::unique_ptr<char16_t[]> units{new char16_t[kHostExpandCapacity]};
    explicit HostBuffer(const std::u16string& text) {
        std::fill(units.get(), units.get() + kHostExpandCapacity, char16_t{0xA5A5});
        const size_t count = std::min(text.size(), size_t{kHostExpandCapacity - 1});
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count), units.get());
        units[count] = 0;
    }
    bool Terminated() const {
        return std::find(units.get(), units.get() + kHostExpandCapacity, u'\0') !=
               units.get() + kHostExpandCapacity;
    }
};

BufferAddress Balloc(uint32_t size, int slot) {
    fake::SetNextHeapAddress(SlotAddress(slot, size));
    char digits[16];
    std::snprintf(digits, sizeof digits, "%u", size);
    std::u16string text;
    for (const char* d = digits; *d != 0; ++d) text.push_back(static_cast<char16_t>(*d));
    HostBuffer buffer(text);
    if (f_balloc(AsHost(buffer.units.get())) != 0) return 0;
    BufferAddress address = 0;
    return ReadHandleNumber(buffer.units.get(), &address) ? address : 0;
}

void FillPattern(BufferAddress address, uint32_t size, uint8_t seed) {
    uint8_t* bytes = BufferAt(address);
    for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 37u + seed);
}

// The plug-in loaded in a fresh session with four buffers: two listed ones, a heap block
// without a record, and the handle of a buffer already freed.
class World {
public:
    explicit World(uint8_t setup) {
        fake::Reset();
        fake::SetLargestHeapBlock(kLargestBlock);
        LastError = 0;
        LastLoadSize = 0;
        host::InitSession(session_);
        session_.script.pipe = true;
        if (setup & 0x40) fake::SetIsConsole(sys::StdStream::Output, true);
        loaded_ = host::AttachPlugin(session_, host::BindExportTable(LinkedPluginExports())) ==
                  host::LoadOutcome::Loaded;
        fake::PutTransferFile(u"/fake/cwd/data.bin", "\x7F"
                                                     "ELF\x01\x02\x03\x04 text\r\n\xC3\xA9");
        fake::PutTransferFile(u"/fake/cwd/empty.bin", "");
        fake::SetClipboardUnits(u"clipboard text\r\n\0");

        sizes_[0] = kBufferSizes[setup & 7];
        sizes_[1] = kBufferSizes[(setup >> 3) & 7];
        sizes_[2] = kBufferSizes[(setup + 3) & 7];
        sizes_[3] = 64;
        handles_[0] = Balloc(sizes_[0], 0);
        handles_[1] = Balloc(sizes_[1], 1);
        fake::SetNextHeapAddress(SlotAddress(2, sizes_[2]));
        unrecorded_ = AddressOf(sys::HeapAllocZeroed(sizes_[2]));
        handles_[2] = unrecorded_;
        handles_[3] = Balloc(sizes_[3], 3);
        for (int slot = 0; slot < 3; ++slot)
            if (handles_[slot] != 0)
                FillPattern(handles_[slot], sizes_[slot], static_cast<uint8_t>(slot * 85 + 1));
        char16_t handle[kHandleTextCapacity];
        FormatHandle(handle, kHandleTextCapacity, handles_[3]);
        HostBuffer stale(handle);
        f_bfree(AsHost(stale.units.get()));
        registryKeys_ = fake::OpenRegistryKeys();
        consoleDevices_ = fake::OpenConsoleDevices();
        fake::ClearOutput();
        // From here on only the features' own calls count, and can meet the input's fault.
        fake::CountFallibleCalls(false);
    }
    ~World() {
        if (session_.plugin.loaded) host::UnloadPlugin(session_, 1);
        LastError = 0;
        LastLoadSize = 0;
        fake::Reset();
    }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    bool Ready() const {
        return loaded_ && handles_[0] != 0 && handles_[1] != 0 && handles_[2] != 0 &&
               handles_[3] != 0 && sys::HeapBlockSize(BufferAt(handles_[3])) == 0;
    }
    const BufferAddress (&Handles() const)[kHandleSlots] { return handles_; }

    // The bytes of the buffers still alive.
    std::vector<std::vector<uint8_t>> Contents() const {
        std::vector<std::vector<uint8_t>> contents;
        for (int slot = 0; slot < 3; ++slot) {
            const size_t size = sys::HeapBlockSize(BufferAt(handles_[slot]));
            const uint8_t* bytes = BufferAt(handles_[slot]);
            contents.emplace_back(size == 0 ? nullptr : bytes, size == 0 ? nullptr : bytes + size);
        }
        return contents;
    }

    // A buffer the documents let go without a record: one allocated by a call whose record
    // could not be written.
    void AcceptUnlisted(BufferAddress address) { unlisted_.insert(address); }
    // Records the documents let stay when their blocks went: a buffer freed whose record could
    // not be deleted. Freeing such a record later only forgets it.
    void AcceptStaleRecords() {
        BufferRecord* list = nullptr;
        const int count = ReadBufferRecords(list);
        for (int i = 0; i < count; ++i)
            if (sys::HeapBlockSize(BufferAt(list[i].address)) == 0) stale_.insert(list[i].address);
        FreeBufferRecords(list);
    }
    // A control handler whose removal failed.
    void AcceptLeftHandler() { handlerLeft_ = true; }

    // Every record names a live block of its size, once; every other live block is the
    // unrecorded one, or one let go unlisted; no file, clipboard, random source, key input or
    // handler outlives a call.
    std::string CheckResources() const {
        BufferRecord* list = nullptr;
        const int count = ReadBufferRecords(list);
        std::string fault;
        std::set<BufferAddress> addresses;
        for (int i = 0; i < count && fault.empty(); ++i) {
            if (!addresses.insert(list[i].address).second)
                fault = "two records of one buffer";
            else if (stale_.count(list[i].address) == 0 &&
                     sys::HeapBlockSize(BufferAt(list[i].address)) != list[i].size)
                fault = "a record without a live block of its size";
        }
        FreeBufferRecords(list);
        if (!fault.empty()) return fault;
        size_t unrecordedLive = sys::HeapBlockSize(BufferAt(unrecorded_)) != 0 ? 1 : 0;
        for (BufferAddress address : unlisted_)
            if (sys::HeapBlockSize(BufferAt(address)) != 0 && addresses.count(address) == 0)
                ++unrecordedLive;
        if (addresses.count(unrecorded_) != 0) return "a record of a block the plug-in never made";
        size_t staleRecords = 0;
        for (BufferAddress address : stale_)
            if (addresses.count(address) != 0 && sys::HeapBlockSize(BufferAt(address)) == 0)
                ++staleRecords;
        if (fake::LiveHeapBlocks() + staleRecords != static_cast<size_t>(count) + unrecordedLive)
            return "a heap block without a record";
        if (fake::OpenTransferFiles() != 0) return "a file left open";
        if (fake::ClipboardIsOpen() || fake::ClipboardIsLocked()) return "the clipboard left open";
        if (fake::OpenRandomSources() != 0) return "a random source left open";
        if (fake::OpenDigests() != 0) return "a digest left open";
        if (fake::KeyInputDepth() != 0) return "key input left on";
        // A handler that could not be removed stays until a later removal takes it away, and
        // meanwhile lets every event through.
        if (fake::ControlHandlerInstalled() &&
            (!handlerLeft_ || ConsoleCtrlHandler(sys::kCtrlCEvent) != 0))
            return "the control handler left installed";
        if (fake::OpenRegistryKeys() != registryKeys_) return "a registry key left open";
        if (fake::OpenConsoleDevices() != consoleDevices_) return "a console device left open";
        return "";
    }

private:
    host::Session session_;
    host::ActivateSession active_{session_};
    bool loaded_ = false;
    uint32_t sizes_[kHandleSlots] = {};
    BufferAddress handles_[kHandleSlots] = {};
    BufferAddress unrecorded_ = 0;
    std::set<BufferAddress> unlisted_;
    std::set<BufferAddress> stale_;
    bool handlerLeft_ = false;
    size_t registryKeys_ = 0;
    int consoleDevices_ = 0;
};

std::string CheckSplit(unsigned options, const std::u16string& text) {
    const int count = SplitArguments(options, text.c_str());
    if (count == -1) return ArgTable.ArgCount == 0 ? "" : "a failed split left arguments";
    if (count != ArgTable.ArgCount) return "the split's count differs from ArgCount";
    if (count < 0 || count > kArgMaxCount) return "ArgCount out of range";
    const char16_t* poolEnd = ArgTable.pool + kArgPoolUnits;
    for (int i = 0; i < count; ++i) {
        const char16_t* arg = ArgTable.text[i];
        const int length = ArgTable.length[i];
        if (arg < ArgTable.pool || length < 0 || arg + length >= poolEnd)
            return "an argument outside the pool";
        if (arg[length] != 0 || static_cast<int>(text::Length(arg)) != length)
            return "an argument not terminated at its length";
    }
    if (ArgLength(count) != 0 || ArgText(count)[0] != 0 || ArgLength(kArgMaxCount + 5) != 0)
        return "an argument beyond ArgCount is not empty";
    return "";
}

bool IsNumberResult(int result) {
    return result == 0 || result == -1 || result == kRangeError;
}

std::string CheckParser(Target target, const std::u16string& text,
                        const BufferAddress (&handles)[kHandleSlots]) {
    switch (target) {
    case Target::ParseU32: {
        uint32_t value = 0x5A5A5A5A;
        const int result = ParseU32(text.c_str(), &value);
        if (!IsNumberResult(result)) return "ParseU32 gave an undocumented result";
        if (result != 0 && value != 0x5A5A5A5A) return "ParseU32 stored a value on failure";
        if (result == 0) {
            uint64_t wide = 0;
            if (ParseU64(text.c_str(), &wide) != 0 || wide != value)
                return "ParseU64 differs from ParseU32";
        }
        const char16_t* rest = nullptr;
        uint32_t prefix = 0;
        const int prefixResult = ParseU32(text.c_str(), &prefix, &rest);
        if (!IsNumberResult(prefixResult))
            return "ParseU32 with a rest gave an undocumented result";
        if (prefixResult == 0 && (rest < text.c_str() || rest > text.c_str() + text.size()))
            return "ParseU32's rest lies outside the text";
        if (result == 0 && (prefixResult != 0 || prefix != value || *rest != 0))
            return "ParseU32 with a rest differs from ParseU32";
        return "";
    }
    case Target::ParseU64: {
        uint64_t value = 0x5A5A5A5A5A5A5A5A;
        const int result = ParseU64(text.c_str(), &value);
        if (!IsNumberResult(result)) return "ParseU64 gave an undocumented result";
        if (result != 0 && value != 0x5A5A5A5A5A5A5A5A) return "ParseU64 stored a value on failure";
        return "";
    }
    case Target::ParseS64: {
        int64_t value = 0x5A5A5A5A5A5A5A5A;
        const int result = ParseS64(text.c_str(), &value);
        if (!IsNumberResult(result)) return "ParseS64 gave an undocumented result";
        if (result != 0 && value != 0x5A5A5A5A5A5A5A5A) return "ParseS64 stored a value on failure";
        uint64_t unsignedValue = 0;
        if (result == 0 && ParseU64(text.c_str(), &unsignedValue) == 0 &&
            static_cast<uint64_t>(value) != unsignedValue)
            return "ParseS64 differs from ParseU64";
        return "";
    }
    case Target::ParseSize: {
        HostBuffer buffer(text);
        uint32_t size = 0x5A5A5A5A;
        fake::ClearOutput();
        const int result = ParseSize(buffer.units.get(), &size);
        if (result != 0 && result != -1 && result != kRangeError && result != -3 && result != -4)
            return "ParseSize gave an undocumented result";
        if (!buffer.Terminated()) return "ParseSize lost the terminator";
        if (result != 0 && fake::StdErr().empty()) return "ParseSize failed without a message";
        if (result == 0 && !fake::StdErr().empty()) return "ParseSize succeeded with a message";
        return "";
    }
    case Target::ParseBufferHandle: {
        uint32_t size = 0x5A5A5A5A;
        const BufferAddress address = ParseBufferHandle(text.c_str(), &size);
        if (address == 0) return "";
        if (address % 8 != 0) return "ParseBufferHandle accepted an unaligned address";
        const size_t blockSize = sys::HeapBlockSize(BufferAt(address));
        if (blockSize == 0) return "ParseBufferHandle accepted no block";
        if (blockSize != size) return "ParseBufferHandle gave a wrong size";
        if (std::find(std::begin(handles), std::end(handles), address) == std::end(handles))
            return "ParseBufferHandle accepted an unknown block";
        return "";
    }
    default:
        return "";
    }
}

bool IsRegistryCall(fake::Call call) {
    return call == fake::Call::RegistryCreate || call == fake::Call::RegistryOpen ||
           call == fake::Call::RegistrySet;
}

std::string CheckExport(const TargetInfo& info, const std::u16string& text, bool nullText,
                        World& world) {
    const std::vector<std::vector<uint8_t>> before = world.Contents();
    HostBuffer buffer(text);
    fake::ClearOutput();
    const int faultsBefore = fake::FaultsMet();
    fake::CountFallibleCalls(true);
    const int result = info.feature(nullText ? nullptr : AsHost(buffer.units.get()));
    fake::CountFallibleCalls(false);
    const bool faulted = fake::FaultsMet() != faultsBefore;
    const std::string err = fake::StdErr();
    if (std::find(info.results.begin(), info.results.end(), result) == info.results.end())
        return "an undocumented result " + std::to_string(result);
    if (nullText != (result == 87)) return "87 is for a missing text only";
    if (!buffer.Terminated()) return "the result text is not terminated within the buffer";
    // A message that standard error did not take is lost with it.
    const bool messageLost = faulted && fake::LastFaultCall() == fake::Call::StreamWrite;
    if (result == -1 && !info.silentFailure && err.empty() && !messageLost)
        return "a failure without a message";
    // A buffer whose record could not be written is still allocated and returned, unlisted.
    const std::string_view name(info.name);
    BufferAddress handed = 0;
    if (faulted && IsRegistryCall(fake::LastFaultCall()) && result == 0 &&
        (name == "balloc" || name == "bload" || name == "bloadpart") &&
        ReadHandleNumber(buffer.units.get(), &handed) && handed != 0)
        world.AcceptUnlisted(handed);
    if (faulted && fake::LastFaultCall() == fake::Call::ControlHandler) world.AcceptLeftHandler();
    // A record that could not be deleted stays when its block goes (the key not opened, or the
    // value not deleted).
    if (faulted &&
        (IsRegistryCall(fake::LastFaultCall()) ||
         fake::LastFaultCall() == fake::Call::RegistryDelete) &&
        (name == "bfree" || name == "bfreeall"))
        world.AcceptStaleRecords();
    if (!err.empty() && !messageLost &&
        (err.size() < 2 || err.compare(err.size() - 2, 2, "\r\n") != 0))
        return "a message that does not end its line";
    if (!info.mayGiveEmpty && result == 0 && buffer.units[0] == 0) return "an empty result";
    if (result == -1 && info.keepsBuffersOnError && world.Contents() != before)
        return "a failed call changed a buffer";
    return world.CheckResources();
}

} // namespace

const char* TargetName(Target target) {
    return Info(target).name;
}

std::string RunInput(Target target, const uint8_t* data, size_t size) {
    const uint8_t setup = size > 0 ? data[0] : 0;
    const uint8_t fault = size > 1 ? data[1] : 0;
    World world(setup);
    if (!world.Ready()) return "the plug-in or its buffers could not be set up";
    if (std::string broken = world.CheckResources(); !broken.empty()) return "setup: " + broken;
    if ((fault & 0x7F) != 0)
        fake::PlanFault(fake::Call::Any, fault & 0x7F,
                        (fault & 0x80) != 0 ? fake::kMovesNothing : fake::kUsualCode);
    const size_t skipped = size < 2 ? size : 2;
    const std::vector<std::u16string> texts =
        DecodeTexts(data + skipped, size - skipped, world.Handles());
    const TargetInfo& info = Info(target);
    for (size_t i = 0; i < texts.size(); ++i) {
        std::string fault;
        if (target == Target::SplitArguments)
            fault = CheckSplit(setup & 0x1F, texts[i]);
        else if (info.feature == nullptr)
            fault = CheckParser(target, texts[i], world.Handles());
        else
            fault = CheckExport(info, texts[i], (setup & 0x80) != 0 && i == 0 && texts[i].empty(),
                                world);
        if (!fault.empty()) return "call " + std::to_string(i + 1) + ": " + fault;
    }
    return "";
}

} // namespace fuzzing
