// Reading the files a session runs and shows: scripts, transcripts, `type`.
#include "session/files.h"

#include "frame/host_services.h"
#include "sys/sys.h"

namespace host {

std::u16string FullPathOf(const std::u16string& path) {
    std::u16string full(kHostPathCapacity, u'\0');
    uint32_t length = sys::FullPathName(path.c_str(), full.data(), kHostPathCapacity);
    if (length == 0 || length >= uint32_t(kHostPathCapacity)) return path;
    full.resize(length);
    return full;
}

FileRead ReadFileBytes(const std::u16string& path, std::string& bytes) {
    bytes.clear();
    if (sys::FileAttributes(path.c_str()) == sys::kNoFileAttributes) return FileRead::Missing;
    char* data = nullptr;
    size_t size = 0;
    if (!sys::ReadWholeFile(path.c_str(), &data, &size)) return FileRead::Failed;
    if (data != nullptr) {
        bytes.assign(data, size);
        sys::FreeFileBytes(data);
    }
    return FileRead::Read;
}

std::optional<uint64_t> FileSizeOf(const std::u16string& path) {
    sys::Handle file = sys::OpenFileForReading(path.c_str());
    if (file == nullptr) return std::nullopt;
    uint64_t size = 0;
    const bool sized = sys::FileSizeOf(file, &size);
    sys::CloseHandle(file);
    if (!sized) return std::nullopt;
    return size;
}

} // namespace host
