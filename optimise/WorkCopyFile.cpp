#include "optimise/WorkCopyFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "util/ByteReader.h"
#include "util/FileBytes.h"
#include "util/FileError.h"
#include "util/FileHandle.h"
#include "util/FileHelpers.h"
#include "util/MappedFile.h"

namespace {

constexpr size_t kCopyBlock = 1 << 20;

}  // namespace

std::optional<uint64_t> CopyToWorkFile(const std::string& dropped, const CFileHandle& work) {
    const CFileHandle source(dropped, O_RDONLY);
    if (!source.IsOpen()) {
        return std::nullopt;
    }
    ByteVector block(kCopyBlock);
    uint64_t length = 0;
    for (size_t got = block.size(); got == block.size(); length += got) {
        try {
            got = source.ReadUpTo(block.data(), block.size());
        } catch (const CFileException&) {
            // Unreadable is unreadable, whenever the system says so.
            return std::nullopt;
        }
        work.WriteAll(block.data(), got);
    }
    return length;
}

void ReplaceBehindStart(const std::string& path, uint64_t cutEnd, const ByteVector& kept) {
    const CFileHandle file(path, O_RDWR);
    if (!file.IsOpen()) {
        throw CFileException(path, errno);
    }
    const std::optional<uint64_t> size = FileLength(path);
    if (!size || cutEnd < 2 || cutEnd > *size) {
        throw CFileException(path, EINVAL);
    }
    const uint64_t keptEnd = 2 + kept.size();
    if (keptEnd <= cutEnd) {
        CloseFileGap(file, keptEnd, cutEnd);
    } else {
        OpenFileGap(file, cutEnd, keptEnd, *size);
    }
    file.SeekTo(2);
    file.WriteAll(kept.data(), kept.size());
}

bool RepointMpfIndexInFile(const std::string& path, const CMappedFile& mapped,
                           const CMpfLayout& original) {
    const std::optional<std::vector<CMpfPatch>> patches =
        MpfIndexPatches(CByteReader(mapped, EByteOrder::BigEndian), original);
    if (!patches) {
        return false;
    }
    const CFileHandle file(path, O_WRONLY);
    if (!file.IsOpen()) {
        throw CFileException(path, errno);
    }
    for (const CMpfPatch& patch : *patches) {
        file.SeekTo(static_cast<uint64_t>(patch.m_nOffset));
        file.WriteAll(patch.m_bytes.data(), patch.m_bytes.size());
    }
    return true;
}
