// File transfer, clipboard, random bytes and digests of the fake system: files in memory, a
// clipboard data block, a generator whose bytes a test can predict, digests that show what they
// were given, and faults at chosen calls.
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <sys/mman.h>
#include <vector>

#include "fake/fake_sys.h"
#include "fake/fake_topics.h"
#include "sys/sys.h"

namespace {

constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kNoMemory = 8;
constexpr uint32_t kReadFault = 23;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kNetworkError = 59;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kDiscarded = 157;
constexpr uint32_t kDeviceError = 1117;
constexpr uint32_t kBadKeyset = 0x80090016;
constexpr uint32_t kRandomFailure = 0x80090020;
constexpr int kPathUnits = 32768;

struct OpenFile {
    std::u16string path;
    bool writing = false;
    uint64_t position = 0;
};

// A digest taken in pieces: what it has been given so far.
struct PieceDigest {
    sys::DigestAlgorithm algorithm;
    size_t size = 0;
    bool failed = false;
};

struct Transfer {
    uint32_t lastError = 0;

    std::map<std::u16string, fake::FileBytes> files;
    std::set<OpenFile*> open;
    uint64_t changes = 0;
    std::map<std::u16string, uint64_t> versions;
    std::optional<uint64_t> reportedSize;
    std::vector<uint32_t> reads;
    std::vector<uint32_t> writes;

    std::optional<std::u16string> clipboard;
    bool clipboardOpen = false;
    bool clipboardLocked = false;

    std::vector<uint32_t> randomPieces;
    int openRandomSources = 0;
    uint8_t nextRandom = 1;

    std::vector<size_t> digestSizes;
    std::vector<size_t> digestPieces;
    std::set<PieceDigest*> openDigests;

    std::map<int, uint32_t> readEvents;
};

Transfer& State() {
    static Transfer state;
    return state;
}

bool Fail(uint32_t code) {
    State().lastError = code;
    return false;
}

std::u16string FullName(std::u16string_view path) {
    std::u16string name(path);
    std::u16string full(kPathUnits, u'\0');
    const uint32_t length = sys::FullPathName(name.c_str(), full.data(), kPathUnits);
    full.resize(length);
    return full;
}

OpenFile* FileOf(sys::Handle handle) {
    auto* file = static_cast<OpenFile*>(handle);
    return State().open.count(file) != 0 ? file : nullptr;
}

// A file opened to patch it is written without being emptied first.
sys::Handle Open(const char16_t* path, bool writing, bool append = false, bool patch = false) {
    Transfer& state = State();
    if (auto code = fake::detail::FaultFor(fake::Call::FileOpen,
                                           writing ? kAccessDenied : kSharingViolation)) {
        Fail(*code);
        return nullptr;
    }
    const std::u16string name = path != nullptr ? FullName(path) : std::u16string();
    if (name.empty()) {
        Fail(kFileNotFound);
        return nullptr;
    }
    // A directory, as the fake's paths show one: a name that ends in a separator.
    if (name.back() == u'/') {
        Fail(kAccessDenied);
        return nullptr;
    }
    if (writing && !append && !patch) {
        state.files[name].clear();
        ++state.changes;
        ++state.versions[name];
    } else if (state.files.count(name) == 0) {
        Fail(kFileNotFound);
        return nullptr;
    }
    auto file = std::make_unique<OpenFile>();
    file->path = name;
    file->writing = writing;
    if (append) file->position = state.files[name].size();
    state.open.insert(file.get());
    return file.release();
}

} // namespace

namespace fake {

constexpr size_t kHugePage = size_t{2} << 20;

template <typename T>
T* LargeBlockAllocator<T>::allocate(size_t count) {
    const size_t bytes = count * sizeof(T);
    if (bytes < kHugePage) return std::allocator<T>().allocate(count);
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    (void)madvise(block, bytes, MADV_HUGEPAGE); // a refusal changes nothing else
    return static_cast<T*>(block);
}

template <typename T>
void LargeBlockAllocator<T>::deallocate(T* block, size_t count) {
    const size_t bytes = count * sizeof(T);
    if (bytes < kHugePage)
        std::allocator<T>().deallocate(block, count);
    else
        munmap(block, bytes);
}

template struct LargeBlockAllocator<char>;

} // namespace fake

namespace fake {

namespace detail {

void ResetTransfer() {
    for (OpenFile* file : State().open) delete file;
    for (PieceDigest* digest : State().openDigests) delete digest;
    State() = Transfer{};
}

bool CloseTransferFile(void* handle) {
    OpenFile* file = FileOf(handle);
    if (file == nullptr) return false;
    State().open.erase(file);
    delete file;
    ForgetFailedOutput(handle);
    return true;
}

bool AppendToTransferFile(void* handle, std::string_view bytes) {
    OpenFile* file = FileOf(handle);
    if (file == nullptr || !file->writing) return false;
    fake::FileBytes& content = State().files[file->path];
    ++State().changes;
    ++State().versions[file->path];
    content.replace(file->position, bytes.size(), bytes);
    file->position += bytes.size();
    return true;
}

} // namespace detail

void PutTransferFile(std::u16string_view path, std::string_view bytes) {
    const std::u16string name = FullName(path);
    State().files[name].assign(bytes);
    ++State().changes;
    ++State().versions[name];
}

std::optional<std::string> TransferFile(std::u16string_view path) {
    auto found = State().files.find(FullName(path));
    if (found == State().files.end()) return std::nullopt;
    return std::string(found->second);
}

const std::map<std::u16string, FileBytes>& TransferFiles() {
    return State().files;
}

uint64_t TransferFileChanges() {
    return State().changes;
}

const std::map<std::u16string, uint64_t>& TransferFileVersions() {
    return State().versions;
}

void SetReportedFileSize(uint64_t size) {
    State().reportedSize = size;
}

std::vector<uint32_t> ReadPieceSizes() {
    return State().reads;
}

std::vector<uint32_t> WritePieceSizes() {
    return State().writes;
}

int OpenTransferFiles() {
    return static_cast<int>(State().open.size());
}

void SetClipboardUnits(std::u16string_view units) {
    State().clipboard.emplace(units);
}

bool ClipboardIsOpen() {
    return State().clipboardOpen;
}

bool ClipboardIsLocked() {
    return State().clipboardLocked;
}

std::vector<uint32_t> RandomPieceSizes() {
    return State().randomPieces;
}

int OpenRandomSources() {
    return State().openRandomSources;
}

std::vector<size_t> DigestSizes() {
    return State().digestSizes;
}

std::vector<size_t> DigestPieceSizes() {
    return State().digestPieces;
}

int OpenDigests() {
    return static_cast<int>(State().openDigests.size());
}

void RaiseControlEventAtRead(uint32_t event, int piece) {
    State().readEvents[piece] = event;
}

} // namespace fake

namespace sys {

uint32_t LastErrorCode() {
    return State().lastError;
}

Handle OpenFileForReading(const char16_t* path) {
    return Open(path, false);
}

Handle CreateFileForWriting(const char16_t* path) {
    return Open(path, true);
}

Handle OpenFileForAppending(const char16_t* path) {
    return Open(path, true, true);
}

Handle OpenFileForPatching(const char16_t* path) {
    return Open(path, true, false, true);
}

// The handle goes whatever the outcome, as CloseHandle's does.
bool CloseFile(Handle handle) {
    if (!fake::detail::CloseTransferFile(handle)) return Fail(kInvalidHandle);
    if (auto code = fake::detail::FaultFor(fake::Call::FileClose, kDiskFull)) return Fail(*code);
    return true;
}

bool SeekFile(Handle handle, uint64_t offset) {
    OpenFile* file = FileOf(handle);
    if (file == nullptr) return Fail(kInvalidHandle);
    if (auto code = fake::detail::FaultFor(fake::Call::FileSeek, kNetworkError)) return Fail(*code);
    file->position = offset;
    return true;
}

bool FileSizeOf(Handle handle, uint64_t* size) {
    Transfer& state = State();
    OpenFile* file = FileOf(handle);
    if (file == nullptr || size == nullptr) return Fail(kInvalidHandle);
    if (auto code = fake::detail::FaultFor(fake::Call::FileSize, kDeviceError)) return Fail(*code);
    *size = state.reportedSize ? *state.reportedSize : state.files[file->path].size();
    return true;
}

bool ReadFilePiece(Handle handle, void* bytes, uint32_t size, uint32_t* done) {
    Transfer& state = State();
    if (done != nullptr) *done = 0;
    OpenFile* file = FileOf(handle);
    if (file == nullptr || file->writing) return Fail(kAccessDenied);
    const int piece = static_cast<int>(state.reads.size());
    state.reads.push_back(size);
    if (auto event = state.readEvents.find(piece); event != state.readEvents.end())
        fake::detail::RaiseControlEvent(event->second);
    if (auto code = fake::detail::FaultFor(fake::Call::FileRead, kReadFault))
        return *code == fake::kMovesNothing ? true : Fail(*code);
    const fake::FileBytes& content = state.files[file->path];
    const uint64_t left = file->position < content.size() ? content.size() - file->position : 0;
    const uint32_t got = left < size ? static_cast<uint32_t>(left) : size;
    if (got != 0) content.copy(static_cast<char*>(bytes), got, file->position);
    file->position += got;
    if (done != nullptr) *done = got;
    return true;
}

bool WriteFilePiece(Handle handle, const void* bytes, uint32_t size, uint32_t* done) {
    Transfer& state = State();
    if (done != nullptr) *done = 0;
    OpenFile* file = FileOf(handle);
    if (file == nullptr || !file->writing) return Fail(kAccessDenied);
    state.writes.push_back(size);
    if (auto code = fake::detail::FaultFor(fake::Call::FileWrite, kDiskFull))
        return *code == fake::kMovesNothing ? true : Fail(*code);
    fake::FileBytes& content = state.files[file->path];
    ++state.changes;
    ++state.versions[file->path];
    content.replace(file->position, size, static_cast<const char*>(bytes), size);
    file->position += size;
    if (done != nullptr) *done = size;
    return true;
}

bool OpenClipboardForReading() {
    Transfer& state = State();
    state.lastError = 0;
    if (auto code = fake::detail::FaultFor(fake::Call::ClipboardOpen, kAccessDenied))
        return Fail(*code);
    if (state.clipboardOpen) return false;
    state.clipboardOpen = true;
    return true;
}

const char16_t* LockClipboardText(size_t* units) {
    Transfer& state = State();
    state.lastError = 0;
    if (units != nullptr) *units = 0;
    if (!state.clipboardOpen || !state.clipboard || state.clipboard->empty() || units == nullptr)
        return nullptr;
    if (auto code = fake::detail::FaultFor(fake::Call::ClipboardRead, kDiscarded)) {
        Fail(*code);
        return nullptr;
    }
    state.clipboardLocked = true;
    *units = state.clipboard->size();
    return state.clipboard->data();
}

void UnlockClipboardText() {
    State().clipboardLocked = false;
}

void CloseClipboardAfterReading() {
    State().clipboardOpen = false;
    State().clipboardLocked = false;
}

bool SetClipboardText(const char16_t* text, size_t length) {
    if (text == nullptr && length != 0) return false;
    std::u16string units(text == nullptr ? std::u16string_view()
                                         : std::u16string_view(text, length));
    units.push_back(0);
    State().clipboard = units;
    return true;
}

RandomSource OpenRandomSource() {
    Transfer& state = State();
    if (auto code = fake::detail::FaultFor(fake::Call::RandomOpen, kBadKeyset)) {
        Fail(*code);
        return nullptr;
    }
    ++state.openRandomSources;
    return &state.nextRandom;
}

bool FillRandom(RandomSource source, void* bytes, uint32_t size) {
    Transfer& state = State();
    if (source != &state.nextRandom) return Fail(kInvalidHandle);
    state.randomPieces.push_back(size);
    if (auto code = fake::detail::FaultFor(fake::Call::RandomFill, kRandomFailure))
        return Fail(*code);
    auto* at = static_cast<uint8_t*>(bytes);
    for (uint32_t i = 0; i < size; ++i) {
        at[i] = state.nextRandom;
        state.nextRandom = state.nextRandom == 255 ? 1 : state.nextRandom + 1;
    }
    return true;
}

void CloseRandomSource(RandomSource source) {
    if (source == &State().nextRandom) --State().openRandomSources;
}

// A digest of the algorithm's length whose every byte is the low byte of the size hashed, so
// that a test sees which range was given; the real digests are the backends' to get right.
size_t FakeDigestOf(DigestAlgorithm algorithm, size_t size, uint8_t* out) {
    constexpr size_t kLengths[] = {16, 20, 32, 48, 64};
    const size_t length = kLengths[static_cast<int>(algorithm)];
    for (size_t i = 0; i < length; ++i) out[i] = static_cast<uint8_t>(size);
    return length;
}

size_t ComputeDigest(DigestAlgorithm algorithm, const void* bytes, size_t size, uint8_t* out) {
    State().digestSizes.push_back(size);
    if (out == nullptr || (bytes == nullptr && size != 0)) return 0;
    if (fake::detail::FaultFor(fake::Call::Digest, kNoMemory)) return 0;
    return FakeDigestOf(algorithm, size, out);
}

// In pieces: the same digest of the total, which goes to DigestSizes when it is ended.
Digest BeginDigest(DigestAlgorithm algorithm) {
    if (fake::detail::FaultFor(fake::Call::Digest, kNoMemory)) return nullptr;
    auto* digest = new PieceDigest{algorithm};
    State().openDigests.insert(digest);
    return digest;
}

bool AddToDigest(Digest handle, const void* bytes, size_t size) {
    Transfer& state = State();
    auto* digest = static_cast<PieceDigest*>(handle);
    if (state.openDigests.count(digest) == 0 || (bytes == nullptr && size != 0)) return false;
    state.digestPieces.push_back(size);
    if (fake::detail::FaultFor(fake::Call::Digest, kNoMemory)) digest->failed = true;
    digest->size += size;
    return !digest->failed;
}

size_t EndDigest(Digest handle, uint8_t* out) {
    Transfer& state = State();
    auto* digest = static_cast<PieceDigest*>(handle);
    if (state.openDigests.erase(digest) == 0) return 0;
    const PieceDigest ended = *digest;
    delete digest;
    if (out == nullptr || ended.failed) return 0;
    if (fake::detail::FaultFor(fake::Call::Digest, kNoMemory)) return 0;
    state.digestSizes.push_back(ended.size);
    return FakeDigestOf(ended.algorithm, ended.size, out);
}

} // namespace sys
