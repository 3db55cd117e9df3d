#include "exif/ExifEmbedding.h"

#include "exif/ExifEngine.h"
#include "imaging/JpegDecoder.h"
#include "segment/SegmentFiles.h"
#include "util/FileHelpers.h"

EEmbedResult InsertBlockIntoWorkText(CExifEngine& exif, const CWorkFiles& work,
                                     const std::string& exifPath) {
    BinaryFileToHexFile(exifPath, work.m_strTempData);
    if (exif.InsertExifHex(work.m_strTempHexa, work.m_strTempData) != EExifResult::Done ||
        !HexFileToBinary(work.m_strTempHexa, work.m_strTempData)) {
        return EEmbedResult::BlockUnreadable;
    }
    return EEmbedResult::Embedded;
}

EEmbedResult EmbedExifIntoWorkCopy(CExifEngine& exif, const CWorkFiles& work,
                                   const std::string& exifPath, const CPackedPicture& reference) {
    if (exif.ProbeExifFile(exifPath) != EExifResult::Done) {
        return EEmbedResult::NoExifFound;
    }
    const EEmbedResult inserted = InsertBlockIntoWorkText(exif, work, exifPath);
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
