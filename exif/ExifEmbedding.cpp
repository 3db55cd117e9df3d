#include "exif/ExifEmbedding.h"

#include <optional>

#include "exif/ExifEngine.h"
#include "imaging/JpegDecoder.h"
#include "segment/SegmentFiles.h"
#include "util/FileHelpers.h"

namespace {

// The MPF index of the embedded result in the work files follows the primary
// picture's end, which the block moved. An index that cannot be moved with
// nothing behind the picture points nowhere already (what it listed was
// removed) and stays as it is; with something there, it would point into
// the wrong bytes.
EEmbedResult RepointIndexBehindBlock(const CWorkFiles& work, const CMpfLayout& before) {
    std::optional<ByteVector> embedded = ReadFileBytes(work.m_strTempData);
    if (!embedded) {
        return EEmbedResult::BlockUnreadable;
    }
    const ByteVector inserted = *embedded;
    if (!RepointMpfIndex(*embedded, before)) {
        const int64_t primaryEnd = FindMpfLayout(*embedded).m_nPrimaryEnd;
        return primaryEnd == static_cast<int64_t>(embedded->size()) ? EEmbedResult::Embedded
                                                                    : EEmbedResult::PictureChanged;
    }
    if (*embedded == inserted) {
        return EEmbedResult::Embedded;
    }
    return WriteWholeFile(work.m_strTempData, embedded->data(), embedded->size()) &&
                   WriteWholeFile(work.m_strTempHexa, HexTextOf(*embedded))
               ? EEmbedResult::Embedded
               : EEmbedResult::BlockUnreadable;
}

}  // namespace

EEmbedResult InsertBlockIntoWorkText(CExifEngine& exif, const CWorkFiles& work,
                                     const std::string& exifPath, const CMpfLayout& before) {
    BinaryFileToHexFile(exifPath, work.m_strTempData);
    if (exif.InsertExifHex(work.m_strTempHexa, work.m_strTempData) != EExifResult::Done ||
        !HexFileToBinary(work.m_strTempHexa, work.m_strTempData)) {
        return EEmbedResult::BlockUnreadable;
    }
    return before.m_mpf ? RepointIndexBehindBlock(work, before) : EEmbedResult::Embedded;
}

EEmbedResult EmbedExifIntoWorkCopy(CExifEngine& exif, const CWorkFiles& work,
                                   const std::string& exifPath, const CPackedPicture& reference,
                                   const CMpfLayout& before) {
    if (exif.ProbeExifFile(exifPath) != EExifResult::Done) {
        return EEmbedResult::NoExifFound;
    }
    const EEmbedResult inserted = InsertBlockIntoWorkText(exif, work, exifPath, before);
    if (inserted != EEmbedResult::Embedded) {
        return inserted;
    }
    return ShowsSamePicture(reference, work.m_strTempData) ? EEmbedResult::Embedded
                                                           : EEmbedResult::PictureChanged;
}

std::string EmbedFailureMessage(EEmbedResult result) {
    switch (result) {
        case EEmbedResult::NoExifFound:
            return "このﾌｧｲﾙにはExif情報が検出されません。他のﾌｧｲﾙを指定して下さい。";
        case EEmbedResult::BlockUnreadable:
            return "Exif情報の埋め込みに失敗しました。Exif情報ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙが読み込めません。";
        case EEmbedResult::PictureChanged:
            return "Exif情報の埋め込みに失敗しました。Exif埋め込み後、JPEGﾌｧｲﾙが正常に読み込めませ"
                   "ん。"
                   "Exif情報ﾊﾞｯｸｱｯﾌﾟﾌｧｲﾙが不正だと考えられます。";
        case EEmbedResult::Embedded:
            break;
    }
    return {};
}
