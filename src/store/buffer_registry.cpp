#include "store/buffer_registry.h"

#include <new>

#include "frame/report.h"
#include "store/process_key.h"

namespace {

// Value names are read into a buffer of this many characters.
constexpr uint32_t kNameCapacity = 1024;
constexpr uint32_t kNoMemory = 8; // ERROR_NOT_ENOUGH_MEMORY

// The last failure to read or change the records, for its report.
struct RecordFailure {
    bool reading = true;
    uint32_t code = 0;
};
RecordFailure LastRecordFailure;

// Notes a failure and gives `result`, what the failing function returns.
int Failed(bool reading, uint32_t code, int result) {
    LastRecordFailure = RecordFailure{reading, code};
    return result;
}

bool IsRecordValue(uint32_t type, uint32_t size) {
    return type == sys::kRegBinary && size == kRecordBytes;
}

// Counts the values that have a record's type and size, asking for neither name nor data. A
// value whose name does not fit the buffer is no record and is passed over. -1 when the values
// cannot be enumerated to their end (the failure noted).
int CountRecordValues(sys::RegistryKey key) {
    char16_t name[kNameCapacity];
    int count = 0;
    for (uint32_t index = 0;; ++index) {
        uint32_t nameLength = kNameCapacity;
        uint32_t type = 0;
        uint32_t size = 0;
        const uint32_t result =
            sys::EnumRegistryValue(key, index, name, &nameLength, &type, nullptr, &size);
        if (result == sys::kRegMoreData) continue;
        if (result == sys::kRegNoMoreItems) return count;
        if (result != sys::kRegOk) return Failed(true, result, -1);
        if (IsRecordValue(type, size)) ++count;
    }
}

// Reads up to `capacity` records into `list`. The values may have changed since they were
// counted: one that no longer fits a record is passed over like one with too long a name. -1
// when the values cannot be enumerated to their end (the failure noted).
int ReadRecordValues(sys::RegistryKey key, BufferRecord* list, int capacity) {
    char16_t name[kNameCapacity];
    int count = 0;
    for (uint32_t index = 0; count < capacity; ++index) {
        uint32_t nameLength = kNameCapacity;
        uint32_t type = 0;
        uint32_t size = kRecordBytes;
        BufferRecord record{};
        const uint32_t result =
            sys::EnumRegistryValue(key, index, name, &nameLength, &type, &record, &size);
        if (result == sys::kRegMoreData) continue;
        if (result == sys::kRegNoMoreItems) break;
        if (result != sys::kRegOk) return Failed(true, result, -1);
        if (IsRecordValue(type, size)) list[count++] = record;
    }
    return count;
}

// The first record of the address, or null.
const BufferRecord* FindRecord(const BufferRecord* list, int count, BufferAddress address) {
    for (int i = 0; i < count; ++i)
        if (list[i].address == address) return &list[i];
    return nullptr;
}

} // namespace

int RecordBuffer(BufferAddress address, uint32_t size) {
    if (address == 0) return -1;
    const BufferRecord record{.address = address, .size = size, .created = sys::SystemTimeUtc()};
    char16_t name[kValueNameCapacity];
    BufferValueName(address, name);
    uint32_t failure = 0;
    sys::RegistryKey key = OpenProcessKey(&failure);
    if (key == nullptr) return Failed(false, failure, 0);
    const uint32_t result =
        sys::SetRegistryValue(key, name, sys::kRegBinary, &record, kRecordBytes);
    sys::CloseRegistryKey(key);
    return result == sys::kRegOk ? 1 : Failed(false, result, 0);
}

int ForgetBuffer(BufferAddress address) {
    if (address == 0) return -1;
    char16_t name[kValueNameCapacity];
    BufferValueName(address, name);
    uint32_t failure = 0;
    sys::RegistryKey key = OpenProcessKey(&failure);
    if (key == nullptr) return Failed(false, failure, 1);
    const uint32_t result = sys::DeleteRegistryValue(key, name);
    sys::CloseRegistryKey(key);
    if (result != sys::kRegOk && result != sys::kRegNotFound) return Failed(false, result, 1);
    return 0;
}

int ReadBufferRecords(BufferRecord*& list) {
    FreeBufferRecords(list);
    uint32_t failure = 0;
    sys::RegistryKey key = OpenProcessKey(&failure);
    if (key == nullptr) return Failed(true, failure, -1);
    int count = CountRecordValues(key);
    if (count > 0) {
        list = new (std::nothrow) BufferRecord[count];
        count = list == nullptr ? Failed(true, kNoMemory, -1) : ReadRecordValues(key, list, count);
    }
    sys::CloseRegistryKey(key);
    if (count <= 0) FreeBufferRecords(list);
    return count;
}

void FreeBufferRecords(BufferRecord*& list) {
    delete[] list;
    list = nullptr;
}

int IsListedBuffer(BufferAddress address) {
    if (address == 0) return 0;
    BufferRecord* list = nullptr;
    const int count = ReadBufferRecords(list);
    if (count < 0) return -1;
    const bool listed = FindRecord(list, count, address) != nullptr;
    FreeBufferRecords(list);
    return listed ? 1 : 0;
}

uint32_t ListedBufferSize(BufferAddress address) {
    if (address == 0) return 0;
    BufferRecord* list = nullptr;
    const int count = ReadBufferRecords(list);
    const BufferRecord* record = FindRecord(list, count, address);
    const uint32_t size = record != nullptr ? record->size : 0;
    FreeBufferRecords(list);
    return size;
}

int ReportRecordFailure() {
    ReportMessage(LastRecordFailure.reading ? u"Cannot read the buffer list: error %u\r\n"
                                            : u"Cannot change the buffer list: error %u\r\n",
                  LastRecordFailure.code);
    return -1;
}
