#include "exif/ExifEngine.h"

#include <fcntl.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "exif/ExifBlock.h"
#include "exif/ExifDecoder.h"
#include "exif/YBigNumber.h"
#include "hexcodec/Cipher.h"
#include "imaging/JpegDecoder.h"
#include "imaging/JpegEncoder.h"
#include "segment/JpegHead.h"
#include "settings/SettingsStore.h"
#include "util/FileBytes.h"
#include "util/FileHandle.h"
#include "util/FileHelpers.h"
#include "util/SafeReplace.h"
#include "util/TextHelpers.h"

namespace {

const char kSignatureHex[] = "457869660000";
constexpr size_t kSignatureChars = 12;
constexpr size_t kLengthChars = 4;
// Two length bytes and six signature bytes are counted in the length but are
// not part of the TIFF structure.
constexpr int64_t kLengthOverheadChars = 16;
// Marker, length and signature in front of the TIFF structure of a segment.
constexpr size_t kSegmentHeadBytes = 10;
// A thumbnail must fit in one segment of 64 KiB; a header asking for more
// pixels than this is not a thumbnail, and decoding into it would only waste memory.
constexpr int64_t kMaxThumbnailPixels = 1024 * 1024;
constexpr size_t kFileBlock = 1 << 20;

std::string HexOf(const ByteVector& bytes) {
    return CCipher().Bin2CStringHex(bytes.data(), static_cast<int>(bytes.size()));
}

bool FitsHexConversion(const ByteVector& bytes) {
    return bytes.size() <= static_cast<size_t>(std::numeric_limits<int>::max() / 2);
}

// An empty picture of the old thumbnail's size, read from its header alone.
bool PrepareThumbnailLike(const ByteVector& oldThumbnail, CImageBuffer& thumbnail) {
    return PrepareImageFromJpegHeader(oldThumbnail.data(), oldThumbnail.size(), thumbnail) &&
           int64_t{thumbnail.m_nWidth} * thumbnail.m_nHeight <= kMaxThumbnailPixels;
}

// The picture of target scaled to the size of the old thumbnail and encoded.
// The decoder scales most of the way itself, so a large picture is never
// decoded whole; the last step is the tools' own scaling.
std::optional<ByteVector> MakeThumbnail(const ByteVector& oldThumbnail, const std::string& target,
                                        const CImageTools& tools) {
    CImageBuffer thumbnail;
    if (!PrepareThumbnailLike(oldThumbnail, thumbnail)) {
        return std::nullopt;
    }
    CImageBuffer picture;
    if (!DecodeJpegFileNear(target, thumbnail.m_nWidth, thumbnail.m_nHeight, picture)) {
        return std::nullopt;
    }
    tools.ScaleImage(picture, thumbnail);
    const std::optional<ByteVector> encoded = EncodeJpegToMemory(thumbnail);
    return encoded ? ThumbnailFromEncoded(*encoded) : std::nullopt;
}

// True when an Exif segment, marker included, holds a TIFF structure.
bool HoldsExifTiff(const uint8_t* segment, size_t size) {
    return size >= kSegmentHeadBytes &&
           HoldsTiffHeader(segment + kSegmentHeadBytes, size - kSegmentHeadBytes);
}

// What FindExifSegment finds in the open file of size bytes, reading it a
// block at a time. Each window keeps the end of the one before, so that a
// signature across two blocks is found with the length field in front of it.
std::optional<CExifSegmentPlace> FindExifSegmentInFile(const CFileHandle& file, uint64_t size) {
    const ByteVector& signature = ExifSignature();
    const size_t kept = signature.size() + 1;
    ByteVector window;
    ByteVector block(kFileBlock);
    uint64_t base = 0;
    for (;;) {
        const size_t got = file.ReadUpTo(block.data(), block.size());
        window.insert(window.end(), block.begin(), block.begin() + static_cast<long>(got));
        for (auto hit =
                 std::search(window.begin(), window.end(), signature.begin(), signature.end());
             hit != window.end();
             hit = std::search(hit + 1, window.end(), signature.begin(), signature.end())) {
            const auto at = static_cast<size_t>(hit - window.begin());
            const uint64_t e = base + at;
            if (e + signature.size() >= size) {
                return std::nullopt;
            }
            // A hit this near the window's start was already one of the last window's.
            if (e >= 4 && at >= 2) {
                return ExifSegmentAt(e, size_t{window[at - 2]} << 8 | window[at - 1], size);
            }
        }
        if (got < block.size()) {
            return std::nullopt;
        }
        const size_t dropped = window.size() - std::min(window.size(), kept);
        base += dropped;
        window.erase(window.begin(), window.begin() + static_cast<long>(dropped));
    }
}

// The Exif segment FindExifSegmentInFile finds in the open file of size
// bytes into block, and where the cut behind the start marker ends. Done,
// NotFound, Unrestorable or FileNotOpened.
EExifResult ReadExifCut(const CFileHandle& source, uint64_t size, ByteVector& block,
                        uint64_t& cutEnd) {
    const std::optional<CExifSegmentPlace> place = FindExifSegmentInFile(source, size);
    if (!place) {
        return EExifResult::NotFound;
    }
    block.resize(place->end - place->start);
    source.SeekTo(place->start);
    if (source.ReadUpTo(block.data(), block.size()) != block.size()) {
        return EExifResult::FileNotOpened;
    }
    if (!HoldsExifTiff(block.data(), block.size())) {
        return EExifResult::Unrestorable;
    }
    cutEnd = place->end;
    return EExifResult::Done;
}

}  // namespace

CExifEngine::CExifEngine(const std::string& dictionaryPath, const std::string& pluginFolder)
    : m_tools(pluginFolder) {
    m_dictionary.Load(dictionaryPath);
}

std::optional<CExifLocation> CExifEngine::LocateExifHex(const std::string& hex) {
    const size_t match = hex.find(kSignatureHex);
    if (match == std::string::npos || match + kSignatureChars >= hex.size() ||
        match < kLengthChars) {
        return std::nullopt;
    }
    const std::string lengthField = hex.substr(match - kLengthChars, kLengthChars);
    const int64_t tiffChars =
        2 * int64_t{HexFieldToInt(lengthField.c_str())} - kLengthOverheadChars;
    const size_t start = match + kSignatureChars;
    if (tiffChars <= 0 || static_cast<uint64_t>(tiffChars) > hex.size() - start) {
        return std::nullopt;
    }
    return CExifLocation{start, static_cast<size_t>(tiffChars)};
}

// The work copy loses the cut bytes where it lies; neither it nor anything
// of its size is held, only the block.
EExifResult CExifEngine::CutExifToFile(const std::string& sourcePath, const std::string& blockPath,
                                       CExifCutSizes& sizes) const {
    const CFileHandle source(sourcePath, O_RDWR);
    const std::optional<uint64_t> size = source.IsOpen() ? FileLength(sourcePath) : std::nullopt;
    if (!size || !WriteWholeFile(blockPath, {})) {
        return EExifResult::FileNotOpened;
    }
    ByteVector block;
    uint64_t cutEnd = 0;
    const EExifResult found = ReadExifCut(source, *size, block, cutEnd);
    if (found != EExifResult::Done) {
        return found;
    }
    if (!WriteWholeFile(blockPath, block.data(), block.size())) {
        return EExifResult::FileNotOpened;
    }
    CloseFileGap(source, 2, cutEnd);
    sizes.before = static_cast<int64_t>(*size);
    sizes.after = static_cast<int64_t>(2 + *size - cutEnd);
    return EExifResult::Done;
}

EExifResult CExifEngine::FindExifCut(const std::string& path, ByteVector& block, uint64_t& cutEnd) {
    block.clear();
    const CFileHandle source(path, O_RDONLY);
    const std::optional<uint64_t> size = source.IsOpen() ? FileLength(path) : std::nullopt;
    if (!size) {
        return EExifResult::FileNotOpened;
    }
    const EExifResult found = ReadExifCut(source, *size, block, cutEnd);
    if (found != EExifResult::Done) {
        block.clear();
    }
    return found;
}

// The cut closes the gap in file's own buffer: a file of any size is never
// copied for it.
EExifResult CExifEngine::CutExif(ByteVector& file, ByteVector& block, CExifCutSizes& sizes) {
    block.clear();
    const std::optional<CExifSegmentPlace> place = FindExifSegment(file);
    if (!place) {
        return EExifResult::NotFound;
    }
    if (!HoldsExifTiff(file.data() + place->start, place->end - place->start)) {
        return EExifResult::Unrestorable;
    }
    const auto end = file.begin() + static_cast<long>(place->end);
    sizes.before = static_cast<int64_t>(file.size());
    block.assign(file.begin() + static_cast<long>(place->start), end);
    file.erase(file.begin() + 2, end);
    sizes.after = static_cast<int64_t>(file.size());
    return EExifResult::Done;
}

// The text of the work copy makes room for the block where it lies: no copy
// of it, twice the size of the picture, is ever held.
EExifResult CExifEngine::InsertExifHex(const std::string& jpegHexPath,
                                       const std::string& blockHexPath) const {
    const CFileHandle jpeg(jpegHexPath, O_RDWR);
    const std::optional<uint64_t> length = jpeg.IsOpen() ? FileLength(jpegHexPath) : std::nullopt;
    const std::optional<ByteVector> block = ReadFileBytes(blockHexPath);
    if (!length || !block) {
        return EExifResult::FileNotOpened;
    }
    const std::string start = "FFD8";
    const uint64_t kept = std::min<uint64_t>(start.size(), *length);
    OpenFileGap(jpeg, kept, start.size() + block->size(), *length);
    jpeg.SeekTo(0);
    jpeg.WriteAll(start.data(), start.size());
    jpeg.WriteAll(block->data(), block->size());
    return EExifResult::Done;
}

EExifResult CExifEngine::TransplantExifWithThumbnail(const std::string& exifPath,
                                                     const std::string& targetPath) const {
    CTransplantHead head;
    const EExifResult built = BuildTransplantHead(exifPath, targetPath, head);
    if (built == EExifResult::Done) {
        CSafeReplacement replacement(targetPath);
        WriteTransplant(head, targetPath, replacement);
        replacement.Finish();
        replacement.Commit();
    }
    return built;
}

// Stripping the Exif segments from the header alone gives the bytes it gives
// on the whole file: the header walk stops inside the bytes read, at the
// first marker that is not a header segment or where the segments stop
// chaining, and everything from there on is kept as it is.
EExifResult CExifEngine::BuildTransplantHead(const std::string& exifPath,
                                             const std::string& targetPath,
                                             CTransplantHead& head) const {
    const std::optional<ByteVector> block = ReadFileBytes(exifPath);
    if (!block) {
        return EExifResult::FileNotOpened;
    }
    const std::optional<CExifThumbnailSplit> parts = SplitAtThumbnail(*block);
    if (!parts) {
        return EExifResult::NotFound;
    }
    const std::optional<ByteVector> thumbnail =
        MakeThumbnail(parts->thumbnail, targetPath, m_tools);
    const std::optional<ByteVector> segment =
        thumbnail ? BuildTransplantSegment(*parts, *thumbnail) : std::nullopt;
    const std::optional<ByteVector> header = segment ? ReadJpegHead(targetPath) : std::nullopt;
    if (!header) {
        return EExifResult::NotFound;
    }
    head.m_nRestFrom = header->size();
    head.m_bytes = InsertAfterStartMarker(WithoutExifSegments(*header, segment->size()), *segment);
    return EExifResult::Done;
}

void CExifEngine::WriteTransplant(const CTransplantHead& head, const std::string& targetPath,
                                  CSafeReplacement& out) {
    out.Write(head.m_bytes.data(), head.m_bytes.size());
    out.CopyFrom(targetPath, head.m_nRestFrom);
}

bool CExifEngine::HasUsableThumbnail(const ByteVector& block) {
    const std::optional<CExifThumbnailSplit> parts = SplitAtThumbnail(block);
    CImageBuffer thumbnail;
    return parts && HasThumbnailLengthEntry(*parts) &&
           PrepareThumbnailLike(parts->thumbnail, thumbnail);
}

std::string CExifEngine::ExifBackupName(const std::string& jpegPath,
                                        const CSettingsStore& settings) {
    return BatchOutputName(jpegPath, settings.Read(settings::kExifName), ".exif");
}

bool CExifEngine::DecodeExifHex(const std::string& tiffHex) {
    return ::DecodeExifHex(tiffHex, tiffHex.size(), m_dictionary);
}

bool CExifEngine::DecodeExifInHex(const std::string& fileHex) {
    const std::optional<CExifLocation> location = LocateExifHex(fileHex);
    if (!location) {
        return false;
    }
    return ::DecodeExifHex(fileHex.substr(location->start, location->length), location->length,
                           m_dictionary);
}

EExifResult CExifEngine::ProbeExifFile(const std::string& path) {
    const std::optional<ByteVector> file = ReadJpegHead(path);
    if (!file) {
        return EExifResult::FileNotOpened;
    }
    if (!FitsHexConversion(*file)) {
        return EExifResult::NotFound;
    }
    const std::string hex = HexOf(*file);
    const bool decoded = DecodeExifInHex(hex) || DecodeExifHex(hex);
    return decoded ? EExifResult::Done : EExifResult::NotFound;
}
