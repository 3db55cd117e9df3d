#include "exif/ExifEngine.h"

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
std::optional<ByteVector> MakeThumbnail(const ByteVector& oldThumbnail, const ByteVector& target,
                                        const CImageTools& tools) {
    CImageBuffer thumbnail;
    if (!PrepareThumbnailLike(oldThumbnail, thumbnail)) {
        return std::nullopt;
    }
    CImageBuffer picture;
    if (!DecodeJpegBytesNear(target.data(), target.size(), thumbnail.m_nWidth, thumbnail.m_nHeight,
                             picture)) {
        return std::nullopt;
    }
    tools.ScaleImage(picture, thumbnail);
    const std::optional<ByteVector> encoded = EncodeJpegToMemory(thumbnail);
    return encoded ? ThumbnailFromEncoded(*encoded) : std::nullopt;
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

EExifResult CExifEngine::CutExifToFile(const std::string& sourcePath, const std::string& blockPath,
                                       CExifCutSizes& sizes) const {
    std::optional<ByteVector> file = ReadFileBytes(sourcePath);
    if (!file) {
        return EExifResult::FileNotOpened;
    }
    if (!WriteWholeFile(blockPath, {})) {
        return EExifResult::FileNotOpened;
    }
    ByteVector block;
    CExifCutSizes cutSizes;
    const EExifResult cut = CutExif(*file, block, cutSizes);
    if (cut != EExifResult::Done) {
        return cut;
    }
    if (!WriteWholeFile(blockPath, block.data(), block.size()) ||
        !WriteWholeFile(sourcePath, file->data(), file->size())) {
        return EExifResult::FileNotOpened;
    }
    sizes = cutSizes;
    return EExifResult::Done;
}

EExifResult CExifEngine::CutExif(ByteVector& file, ByteVector& block, CExifCutSizes& sizes) {
    block.clear();
    std::optional<CExifCut> cut = CutExifSegment(file);
    if (!cut) {
        return EExifResult::NotFound;
    }
    if (cut->block.size() < kSegmentHeadBytes ||
        !HoldsTiffHeader(cut->block.data() + kSegmentHeadBytes,
                         cut->block.size() - kSegmentHeadBytes)) {
        return EExifResult::Unrestorable;
    }
    sizes.before = static_cast<int64_t>(file.size());
    sizes.after = static_cast<int64_t>(cut->remainder.size());
    block = std::move(cut->block);
    file = std::move(cut->remainder);
    return EExifResult::Done;
}

EExifResult CExifEngine::InsertExifHex(const std::string& jpegHexPath,
                                       const std::string& blockHexPath) const {
    const std::optional<ByteVector> jpeg = ReadFileBytes(jpegHexPath);
    const std::optional<ByteVector> block = ReadFileBytes(blockHexPath);
    if (!jpeg || !block) {
        return EExifResult::FileNotOpened;
    }
    std::string text = "FFD8";
    text.append(block->begin(), block->end());
    text.append(jpeg->begin() + static_cast<long>(std::min<size_t>(4, jpeg->size())), jpeg->end());
    return WriteWholeFile(jpegHexPath, text) ? EExifResult::Done : EExifResult::FileNotOpened;
}

EExifResult CExifEngine::TransplantExifWithThumbnail(const std::string& exifPath,
                                                     const std::string& targetPath) const {
    const std::optional<ByteVector> target = ReadFileBytes(targetPath);
    ByteVector result;
    const EExifResult built = BuildExifTransplant(exifPath, target.value_or(ByteVector{}), result);
    if (built == EExifResult::Done) {
        ReplaceFileSafely(targetPath, result.data(), result.size());
    }
    return built;
}

EExifResult CExifEngine::BuildExifTransplant(const std::string& exifPath, const ByteVector& target,
                                             ByteVector& result) const {
    const std::optional<ByteVector> block = ReadFileBytes(exifPath);
    if (!block) {
        return EExifResult::FileNotOpened;
    }
    const std::optional<CExifThumbnailSplit> parts = SplitAtThumbnail(*block);
    if (!parts) {
        return EExifResult::NotFound;
    }
    const std::optional<ByteVector> thumbnail = MakeThumbnail(parts->thumbnail, target, m_tools);
    const std::optional<ByteVector> segment =
        thumbnail ? BuildTransplantSegment(*parts, *thumbnail) : std::nullopt;
    if (!segment) {
        return EExifResult::NotFound;
    }
    result = InsertAfterStartMarker(WithoutExifSegments(target, segment->size()), *segment);
    return EExifResult::Done;
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
