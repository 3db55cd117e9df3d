#include "editor/EditorWorkCopy.h"

#include "exif/ExifBlock.h"
#include "imaging/PictureCheck.h"
#include "segment/SegmentFiles.h"
#include "util/FileBytes.h"
#include "util/FileHelpers.h"

namespace {

constexpr size_t kMarkerCharacters = 4;
const char kExifCode[] = "FFE1";

// The window waits for this answer, so the result decodes in two parts at
// once where it can (see CPictureReference).
bool BytesShowPicture(const ByteVector& bytes, const CPackedPicture* reference) {
    return reference != nullptr &&
           CPictureReference(*reference, ECheckThreads::Two)
               .IsShownBy(CPictureSource::Bytes(bytes.data(), bytes.size()));
}

}  // namespace

int64_t EditorSegmentSize(const CJpegSegment& segment) {
    return (static_cast<int64_t>(segment.m_strData.size()) + 4) / 2;
}

std::optional<size_t> PrepareEditorWorkCopy(const std::string& sourcePath, const CWorkFiles& work) {
    if (!CopyFileBlocks(sourcePath, work.m_strTempData)) {
        // The hex file of an earlier file must not be what a finish saves.
        WriteWholeFile(work.m_strTempHexa, {});
        return std::nullopt;
    }
    return PrepareCopiedEditorWorkCopy(work);
}

size_t PrepareCopiedEditorWorkCopy(const CWorkFiles& work) {
    const std::optional<ByteVector> file = ReadFileBytes(work.m_strTempData);
    WriteWholeFile(work.m_strTempHexa, file ? HexTextOf(*file) : std::string());
    WriteWholeFile(work.m_strExifDat, {});
    const std::optional<CExifCut> cut = file ? CutExifSegment(*file) : std::nullopt;
    if (!cut) {
        return kExifAfterStartMarker;
    }
    // The cut keeps only the start marker in front of the block; whatever
    // stood between them is put back, so no edit loses it.
    const size_t position =
        file->size() - cut->remainder.size() - cut->block.size() + kExifAfterStartMarker;
    std::string rest(file->begin(), file->begin() + static_cast<ptrdiff_t>(position));
    rest.append(cut->remainder.begin() + kExifAfterStartMarker, cut->remainder.end());
    WriteWholeFile(work.m_strExifDat, std::string(cut->block.begin(), cut->block.end()));
    WriteWholeFile(work.m_strTempData, rest);
    return position;
}

size_t ExifSegmentPlace(const CSegmentList& list, size_t position) {
    size_t bytes = 0;
    for (size_t index = 0; index < list.size(); ++index) {
        if (bytes == position && index > 0) {
            return index;
        }
        bytes += static_cast<size_t>(EditorSegmentSize(list[index]));
    }
    return bytes == position && !list.empty() ? list.size() : std::min<size_t>(1, list.size());
}

std::optional<CJpegSegment> ReadExifBlockSegment(const std::string& blockPath) {
    std::string hex;
    if (!BinaryFileToHex(blockPath, hex) || hex.size() < kMarkerCharacters) {
        return std::nullopt;
    }
    return CJpegSegment{kExifCode, hex.substr(kMarkerCharacters)};
}

CEditorListImage ImageOfList(const CSegmentList& list) {
    if (std::optional<ByteVector> plain = PlainSegmentsToBytes(list)) {
        return {std::move(plain), std::nullopt};
    }
    return {SegmentsToBytes(list), list};
}

bool WriteEditorWorkFiles(const CEditorListImage& image, const CWorkFiles& work) {
    if (image.m_textList) {
        WriteSegmentsHex(*image.m_textList, work.m_strTempHexa);
    } else if (image.m_bytes) {
        WriteHexTextFile(work.m_strTempHexa, image.m_bytes->data(), image.m_bytes->size(),
                         EFileWrite::OverOld);
    }
    if (!image.m_bytes) {
        HexFileToBinary(work.m_strTempHexa, work.m_strTempData);
        return false;
    }
    return WriteWholeFile(work.m_strTempData, image.m_bytes->data(), image.m_bytes->size(),
                          EFileWrite::OverOld);
}

bool ListShowsPicture(const CEditorListImage& image, const CPackedPicture* reference) {
    return image.m_bytes && BytesShowPicture(*image.m_bytes, reference);
}
