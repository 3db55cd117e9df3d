#include "optimise/Optimiser.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "exif/ExifEngine.h"
#include "imaging/PictureCheck.h"
#include "optimise/KeptTrailer.h"
#include "optimise/RemovedSegments.h"
#include "optimise/SegmentFilter.h"
#include "segment/SegmentFiles.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "util/MappedFile.h"
#include "util/TemporaryFile.h"
#include "util/TextHelpers.h"

namespace {

std::string Number(int64_t value) {
    return std::to_string(value);
}

std::string SizesLine(int64_t before, int64_t after) {
    return Number(before) + " ﾊﾞｲﾄが " + Number(after) + " ﾊﾞｲﾄになりました...\r\n";
}

const char kEndCode[] = "FFD9";

// The index of the first end marker at or after from.
size_t NextEnd(const CSegmentList& list, size_t from) {
    while (from < list.size() && list[from].m_strCode != kEndCode) {
        ++from;
    }
    return from;
}

// Everything from the segment first (behind the outer start marker and what
// stays there) through the inner end marker's segment: what the proprietary
// removal takes away.
CRemovedSegment ProprietaryDataRecord(const CSegmentList& scanned,
                                      const std::vector<int64_t>& offsets, size_t first) {
    const size_t innerEnd = NextEnd(scanned, 0);
    CRemovedSegment record =
        RemovedSegment(scanned[first], offsets[first], offsets[innerEnd + 1] - offsets[first]);
    record.m_strKind = "before-picture";
    return record;
}

// The new list holds a fresh start marker in place of the inner end marker,
// perhaps a copy of the first APP0 segment (which the filter keeps), then the
// real picture's segments. Its end is the file's end, so that whatever
// followed the real picture counts as data after its end marker.
std::vector<int64_t> OffsetsAfterProprietaryRemoval(const CSegmentList& scanned,
                                                    const CSegmentList& kept,
                                                    const std::vector<int64_t>& offsets) {
    const size_t innerEnd = NextEnd(scanned, 0);
    const size_t secondEnd = NextEnd(scanned, innerEnd + 1);
    const size_t inserted = kept.size() - (secondEnd - innerEnd + 1);
    std::vector<int64_t> mapped{offsets[innerEnd]};
    mapped.insert(mapped.end(), inserted, offsets[innerEnd]);
    mapped.insert(mapped.end(), offsets.begin() + static_cast<long>(innerEnd) + 1,
                  offsets.begin() + static_cast<long>(secondEnd) + 1);
    mapped.push_back(offsets.back());
    return mapped;
}

// Where the bytes of list's first end marker end in the bytes made of it; 0
// when it holds none.
int64_t PrimaryEndOf(const CSegmentList& list) {
    const size_t end = NextEnd(list, 0);
    if (end == list.size()) {
        return 0;
    }
    size_t characters = list[end].m_strCode.size();
    for (size_t i = 0; i < end; ++i) {
        characters += list[i].m_strCode.size() + list[i].m_strData.size();
    }
    return static_cast<int64_t>(characters / 2);
}

// Just behind the list's first end marker, where what follows it begins;
// the end of the file when the list holds none.
int64_t EndOfPicture(const CSegmentList& list, const std::vector<int64_t>& offsets) {
    const size_t end = NextEnd(list, 0);
    return end < list.size() ? offsets[end] + 2 : offsets.back();
}

// The segments of described that start inside one of ranges.
std::vector<bool> StartingInside(const std::vector<CDescribedSegment>& described,
                                 std::vector<CByteRange> ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const CByteRange& a, const CByteRange& b) { return a.m_nOffset < b.m_nOffset; });
    // Offsets need not rise: a kept segment may stand behind a new start marker.
    std::vector<bool> inside(described.size(), false);
    for (size_t i = 0; i < described.size() && !ranges.empty(); ++i) {
        const int64_t offset = described[i].m_record.m_nOffset;
        const auto after = std::upper_bound(
            ranges.begin(), ranges.end(), offset,
            [](int64_t value, const CByteRange& range) { return value < range.m_nOffset; });
        inside[i] = after != ranges.begin() && std::prev(after)->End() > offset;
    }
    return inside;
}

std::string OrientationLine(EOrientationFate fate) {
    switch (fate) {
        case EOrientationFate::Removed:
            return "Exif情報にあった画像の向きも削除しました。ﾋﾞｭｰｱｰによっては向きが変わって"
                   "表示されます。\r\n";
        case EOrientationFate::Kept:
            return "画像の向きだけは小さなExif情報として残しました。\r\n";
        case EOrientationFate::None:
            break;
    }
    return "";
}

}  // namespace

EExifReportMode ExifReportModeFor(const CSettingsStore& settings) {
    return settings.Read(settings::kDelExif) == 1 ? EExifReportMode::Removed
                                                  : EExifReportMode::RemovalForbidden;
}

std::string UnrestorableExifLine(const std::string& name) {
    return name + kUnrestorableExifText + "ﾊﾞｯｸｱｯﾌﾟせずに他のﾍｯﾀﾞｰと同じく扱います。\r\n";
}

COptimiser::COptimiser(EOptimiseForm form, const CWorkFiles& work, const CSettingsStore& settings,
                       const std::vector<std::string>& keptCodes)
    : m_form(form), m_work(work), m_settings(settings), m_keptCodes(keptCodes) {}

COptimiser::~COptimiser() = default;

CPictureSource COptimiser::WorkFileSource() const {
    return CPictureSource::File(m_work.m_strTempData, true);
}

// The wizard always compares pixels; the batch only checks that the result
// decodes when the setting damage lets damaged pictures through.
bool COptimiser::VerifyWorkCopy() const {
    m_bCheckRan = true;
    if (IsBatch()) {
        return VerifyResult(m_pWorkCopy != nullptr
                                ? CPictureSource::File(m_pWorkCopy->Path(), false)
                                : WorkFileSource());
    }
    return m_pReference != nullptr && m_pReference->IsShownBy(WorkFileSource());
}

// The wizard's result goes through the hex work file into the work copy,
// where its later steps expect it. The batch writes its result beside the
// work copy, a piece at a time, and checks it there; the work copy stays the
// Exif-free copy, which its saving still has should the result fail. A
// result that fails goes at once.
bool COptimiser::MakeAndVerifyResult() {
    if (!IsBatch()) {
        return HexFileToBinary(m_work.m_strTempHexa, m_work.m_strTempData) &&
               CheckKeptTrailer(m_work.m_strTempData, PrimaryEndOf(o_BackupJpg)) &&
               VerifyWorkCopy();
    }
    auto result = std::make_unique<CTemporaryFile>(m_work.m_strTempData);
    const bool written = WriteSegmentsBinary(o_BackupJpg, result->File(), m_pWorkCopy);
    const int64_t primaryEnd = PrimaryEndOf(o_BackupJpg);
    // The list is twice the size of its bytes; the check ahead needs the memory.
    CSegmentList().swap(o_BackupJpg);
    result->Close();
    if (!written || !CheckKeptTrailer(result->Path(), primaryEnd) ||
        !VerifyResult(CPictureSource::File(result->Path(), false))) {
        return false;
    }
    m_resultFile = std::move(result);
    return true;
}

const std::string& COptimiser::OptimisedFile() const {
    static const std::string kNone;
    return m_resultFile ? m_resultFile->Path() : kNone;
}

bool COptimiser::CheckKeptTrailer(const std::string& path, int64_t primaryEnd) const {
    if (!m_keptTrailer) {
        return true;
    }
    m_bCheckRan = true;
    return m_bTrailerIndexed && KeepsTrailer(path, primaryEnd, *m_keptTrailer);
}

bool COptimiser::VerifyResult(const CPictureSource& source) const {
    m_bCheckRan = true;
    if (settings::LetsDamagedPicturesThrough(m_settings)) {
        return DecodePicture(source, ECheckThreads::One).has_value();
    }
    return m_pReference != nullptr && m_pReference->IsShownBy(source);
}

bool COptimiser::ReportExifRemoval(const std::string& name, EExifReportMode mode, int64_t before,
                                   int64_t after, std::string& log) {
    return AnnounceExifCheck(name, mode, before, after, log) &&
           CheckExifRemoval(name, nullptr, log);
}

bool COptimiser::AnnounceExifCheck(const std::string& name, EExifReportMode mode, int64_t before,
                                   int64_t after, std::string& log) {
    m_bExifCheckFailed = false;
    log += name + "の調査を完了しました。\r\n";
    if (mode == EExifReportMode::RemovalForbidden) {
        log += "Exif情報を見つけました!\r\n";
        log += "ｼｽﾃﾑ設定で禁止してあるため、Exif情報の削除は行いません。終了します。\r\n";
        if (IsBatch()) {
            log += "\r\n";
        }
        // The file is left as it is, as the log says; the batch goes on with the next one.
        return false;
    }
    log += IsBatch() ? "Exif情報を見つけたので削除しました。\r\n" : "Exif情報を削除しました。\r\n";
    log += OrientationLine(m_eOrientation);
    log += SizesLine(before, after);
    log += Number(before - after) + " ﾊﾞｲﾄのExif情報をJPEGの画質を変えることなく削除しました。" +
           (IsBatch() ? "\r\n" : "\r\n\r\n");
    log += "続いてJPEGの検査を行います...\r\n";
    return true;
}

bool COptimiser::CheckExifRemoval(const std::string& name, const std::string* checkedOptimised,
                                  std::string& log) {
    const char* lineEnd = IsBatch() ? "\r\n" : "\r\n\r\n";
    m_bExifCheckFailed = false;
    if (checkedOptimised == nullptr && !VerifyWorkCopy()) {
        log += name +
               "はExif情報を正常に削除できませんでした。\r\n\r\n"
               "この画像は上級者 - ｳｨｻﾞｰﾄﾞをご利用下さい。\r\n";
        m_bExifCheckFailed = true;
        // The batch goes on to optimise the file, which may still pass its own check.
        return IsBatch();
    }
    log += std::string("Exif情報を削除したJPEGは処理前と同様に表示されます。") + lineEnd;
    if (IsBatch() && m_pSaving != nullptr) {
        return m_pSaving->SaveAfterExifRemoval(checkedOptimised, log);
    }
    return true;
}

std::vector<int64_t> COptimiser::RemoveProprietaryData(std::string& log,
                                                       std::vector<int64_t> offsets) {
    if (!HasEmbeddedImage(o_CodeJpg)) {
        log += "不明な独自情報は見つかりませんでした...\r\n";
        return offsets;
    }
    log += "不明な独自情報を見つけました...\r\n";
    if (!RemoveProprietaryImage(o_CodeJpg, o_BackupJpg, m_settings)) {
        log += "不明な独自情報の削除に失敗しました。なぜ？\r\n";
        return offsets;
    }
    log += "不明な独自情報の削除に成功しました。\r\n";
    // The small orientation block put behind the start marker is ours, not
    // the camera's: it stays in front of the real picture.
    const bool orientationKept = m_nKeptBehindStart > 0 && offsets.size() > 1 && offsets[1] == 2;
    const size_t first = orientationKept ? 2 : 1;
    m_removed.push_back(ProprietaryDataRecord(o_CodeJpg, offsets, first));
    std::vector<int64_t> kept = OffsetsAfterProprietaryRemoval(o_CodeJpg, o_BackupJpg, offsets);
    if (orientationKept) {
        o_BackupJpg.insert(o_BackupJpg.begin() + 1, o_CodeJpg[1]);
        kept.insert(kept.begin() + 1, offsets[1]);
    }
    o_CodeJpg.swap(o_BackupJpg);
    return kept;
}

void COptimiser::NoteFilterDrops(const std::vector<CDescribedSegment>& described,
                                 const CFilterDrops& drops, int64_t endOfFile) {
    int64_t declaredEnd = 0;
    for (const size_t index : drops.m_segments) {
        AppendRemoved(m_removed, described[index], declaredEnd);
    }
    if (!drops.m_end) {
        return;
    }
    const int64_t afterEnd = described[*drops.m_end].m_record.m_nOffset + 2;
    if (!m_keptTrailer) {
        const std::vector<CRemovedSegment> behind =
            RemovedAfterEnd(afterEnd, endOfFile, m_extras.m_trailer);
        m_removed.insert(m_removed.end(), behind.begin(), behind.end());
    }
}

void COptimiser::TakeKeptTrailer(int64_t scannedEnd) {
    m_keptTrailer.reset();
    m_bTrailerIndexed = false;
    if (m_extras.m_trailer.empty() || m_settings.Read(settings::kKeepMotion) == 0) {
        return;
    }
    if (IsBatch()) {
        if (m_pWorkCopy != nullptr && scannedEnd <= static_cast<int64_t>(m_pWorkCopy->size())) {
            m_keptTrailer = ByteVector(m_pWorkCopy->data() + scannedEnd,
                                       m_pWorkCopy->data() + m_pWorkCopy->size());
        }
        return;
    }
    const std::optional<ByteVector> scanned = ReadFileBytes(m_work.m_strTempData);
    if (scanned && scannedEnd <= static_cast<int64_t>(scanned->size())) {
        m_keptTrailer = ByteVector(scanned->begin() + scannedEnd, scanned->end());
    }
}

std::vector<bool> COptimiser::KeptOnRequest(const std::vector<CDescribedSegment>& described) const {
    std::vector<CByteRange> ranges;
    if (m_settings.Read(settings::kKeepIcc) != 0) {
        for (const CDescribedSegment& segment : described) {
            if (segment.m_record.m_strKind == "icc-profile") {
                ranges.push_back({segment.m_record.m_nOffset,
                                  segment.m_nDeclaredEnd - segment.m_record.m_nOffset});
            }
        }
    }
    if (m_keptTrailer) {
        ranges.insert(ranges.end(), m_extras.m_announcingXmp.begin(),
                      m_extras.m_announcingXmp.end());
        if (m_extras.m_mpf) {
            ranges.push_back(m_extras.m_mpf->m_segment);
        }
    }
    if (m_nKeptBehindStart > 0) {
        ranges.push_back({2, m_nKeptBehindStart});
    }
    return StartingInside(described, std::move(ranges));
}

void COptimiser::AppendKeptTrailer(const CFilterDrops& drops) {
    if (!m_keptTrailer || !drops.m_end || o_BackupJpg.empty() ||
        o_BackupJpg.back().m_strCode != kEndCode) {
        return;
    }
    o_BackupJpg.back().m_strData =
        TextToHex(std::string(m_keptTrailer->begin(), m_keptTrailer->end()));
    // An index that cannot be moved would point into the wrong bytes.
    m_bTrailerIndexed = !m_extras.m_mpf || RepointMpfIndex(o_BackupJpg, m_extras);
}

// The offsets and descriptions of every segment, a record for each of what
// may be millions, serve only the notes of what was dropped: they end here,
// before the result is made.
std::string COptimiser::FilterScan(std::string& log, int64_t fileBytes) {
    std::vector<int64_t> scanned = SegmentOffsets(o_CodeJpg);
    // The scan ends at the end marker; bytes behind it are still the file's.
    scanned.back() = std::max(scanned.back(), fileBytes);
    const std::vector<int64_t> offsets = RemoveProprietaryData(log, std::move(scanned));
    const std::vector<CDescribedSegment> described = DescribeSegments(o_CodeJpg, offsets);
    TakeKeptTrailer(EndOfPicture(o_CodeJpg, offsets));
    CFilterDrops drops;
    // The scan's list is not needed again: the filter takes its segments over.
    std::string filterLog = FilterSegments(std::move(o_CodeJpg), o_BackupJpg, m_keptCodes,
                                           m_settings, &drops, KeptOnRequest(described));
    ClearSegments(o_CodeJpg);
    NoteFilterDrops(described, drops, offsets.back());
    AppendKeptTrailer(drops);
    return filterLog;
}

EOptimiseResult COptimiser::OptimiseWorkFile(const std::string& name, CHedThread& record,
                                             std::string& log) {
    o_CodeJpg = std::move(record.m_Obj);
    ClearSegments(record.m_Obj);
    log += name + "の調査を開始します。ｺﾋﾟｰを作成しました...\r\n";
    m_removed.clear();
    const std::string filterLog = FilterScan(log, record.m_nThreadSize);
    if (!IsBatch()) {
        WriteSegmentsHex(o_BackupJpg, m_work.m_strTempHexa);
    }
    log += filterLog;
    log += RemovedKindLines(m_removed);
    log += IsBatch() ? "不必要なﾃﾞｰﾀの解析と情報削除を完了しました。\r\n"
                     : "不必要なJPEGﾍｯﾀﾞ情報削除を完了しました。\r\n";
    const int64_t before = record.m_nThreadSize;
    const int64_t after = SegmentBytes(o_BackupJpg);
    m_nResultBytes = after;
    log += SizesLine(before, after);
    if (before == after) {
        log += IsBatch()
                   ? "このJPEGには不必要なﾃﾞｰﾀは見つかりませんでした。優秀なJPEG画像です。"
                     "終了します。\r\n\r\n"
                   : "このJPEGには不必要なﾃﾞｰﾀは見つかりませんでした。優秀なJPEG画像です。\r\n";
        return EOptimiseResult::NothingToRemove;
    }
    log += Number(before - after) +
           " ﾊﾞｲﾄの不必要な情報をJPEGの画質を変えることなく削除しました。" +
           (IsBatch() ? "\r\n" : "\r\n\r\n");
    log += "続いて最適化したJPEGの検査を行います...\r\n";
    if (!MakeAndVerifyResult()) {
        log += IsBatch() ? name + "は正常に最適化できませんでした。終了します。\r\n\r\n"
                         : name +
                               "は正常に最適化できませんでした。\r\n\r\n"
                               "この画像は上級者 - ｳｨｻﾞｰﾄﾞをご利用下さい。\r\n";
        return EOptimiseResult::VerificationFailed;
    }
    if (!IsBatch()) {
        log +=
            "最適化したJPEGは処理前と同様に表示されます。\r\n\r\n"
            "念のため、「修正結果を確認」のﾎﾞﾀﾝを押して、ｲﾒｰｼﾞの確認をおすすめします。\r\n";
        return EOptimiseResult::Verified;
    }
    log += "最適化したJPEGは処理前と同様に表示されます。\r\n";
    return EOptimiseResult::Verified;
}
