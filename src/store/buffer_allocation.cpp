#include "store/buffer_allocation.h"

#include <cstddef>

#include "store/buffer_registry.h"

namespace {

// A record may outlive its block: the key of a process that ended without unloading the plug-in
// stays until the user logs off, and a later process with the same id inherits its records. So
// a recorded block is released only when a block of the recorded size starts at the address: a
// stale record then loses its value without freeing what now lies there. Without a record (a
// forced release, which the caller has checked with the host) any live block is released.
void ReleaseHeapBlock(BufferAddress address, const BufferRecord* record) {
    void* block = BufferAt(address);
    const size_t liveSize = sys::HeapBlockSize(block);
    if (liveSize == 0) return;
    if (record != nullptr && liveSize != record->size) return;
    (void)sys::HeapRelease(block); // the outcome is not examined: nothing here could mend it
}

} // namespace

BufferAddress AllocateBuffer(uint32_t size) {
    if (size == 0) return 0;
    void* block = sys::HeapAllocZeroed(size);
    if (block == nullptr) return 0;
    // A block that a handle of this width cannot name is of no use to anyone.
    const BufferAddress address = AddressOf(block);
    if (address == 0) {
        (void)sys::HeapRelease(block); // just allocated: it goes back
        return 0;
    }
    (void)RecordBuffer(address, size); // without a record the buffer is simply not listed
    return address;
}

uint32_t FreeBuffer(BufferAddress address) {
    if (address == 0) return 0;
    BufferRecord* list = nullptr;
    const int count = ReadBufferRecords(list);
    const BufferRecord* record = nullptr;
    for (int i = 0; i < count && record == nullptr; ++i)
        if (list[i].address == address) record = &list[i];
    const uint32_t size = record != nullptr ? record->size : 0;
    ReleaseHeapBlock(address, record);
    FreeBufferRecords(list);
    ForgetBuffer(address);
    return size;
}

void FreeRecordedBuffer(const BufferRecord& record) {
    if (record.address == 0) return;
    ReleaseHeapBlock(record.address, &record);
    ForgetBuffer(record.address);
}
