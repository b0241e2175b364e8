#include "store/buffer_registry.h"

#include <new>

#include "store/process_key.h"

namespace {

// Value names are read into a buffer of this many characters.
constexpr uint32_t kNameCapacity = 1024;

bool IsRecordValue(uint32_t type, uint32_t size) {
    return type == sys::kRegBinary && size == kRecordBytes;
}

// Counts the values that have a record's type and size, asking for neither name nor data. A
// value whose name does not fit the buffer is no record and is passed over; any other failure
// is the end of the values.
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
        if (result != sys::kRegOk) return count;
        if (IsRecordValue(type, size)) ++count;
    }
}

// Reads up to `capacity` records into `list`. The values may have changed since they were
// counted: one that no longer fits a record is passed over like one with too long a name.
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
        if (result != sys::kRegOk) break;
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
    sys::RegistryKey key = OpenProcessKey();
    if (key == nullptr) return 0;
    const uint32_t result =
        sys::SetRegistryValue(key, name, sys::kRegBinary, &record, kRecordBytes);
    sys::CloseRegistryKey(key);
    return result == sys::kRegOk ? 1 : 0;
}

int ForgetBuffer(BufferAddress address) {
    if (address == 0) return -1;
    char16_t name[kValueNameCapacity];
    BufferValueName(address, name);
    sys::RegistryKey key = OpenProcessKey();
    if (key == nullptr) return 0;
    // The outcome is ignored: a record left behind names a block gone, which no release takes.
    (void)sys::DeleteRegistryValue(key, name);
    sys::CloseRegistryKey(key);
    return 0;
}

int ReadBufferRecords(BufferRecord*& list) {
    FreeBufferRecords(list);
    sys::RegistryKey key = OpenProcessKey();
    if (key == nullptr) return 0;
    int count = CountRecordValues(key);
    if (count > 0) list = new (std::nothrow) BufferRecord[count];
    count = list == nullptr ? 0 : ReadRecordValues(key, list, count);
    sys::CloseRegistryKey(key);
    if (count == 0) FreeBufferRecords(list);
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
