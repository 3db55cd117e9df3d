#include "exif/SampleConversion.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>

#include "exif/ExifEngine.h"
#include "imaging/ImageTools.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PictureCheck.h"
#include "util/FileBytes.h"
#include "util/FileError.h"
#include "util/FileHandle.h"
#include "util/FileHelpers.h"
#include "util/SafeReplace.h"
#include "util/Stopwatch.h"

std::string SampleOutcomeText(ESampleOutcome outcome) {
    switch (outcome) {
        case ESampleOutcome::Converted:
            return "変換しました";
        case ESampleOutcome::NotRead:
            return "ﾌｧｲﾙを読み込めないので変換しませんでした";
        case ESampleOutcome::NotDecoded:
            return "JPEG画像として読み込めないので変換しませんでした";
        case ESampleOutcome::NotEmbedded:
            return "見本のExif情報を埋め込めないので変換しませんでした";
        case ESampleOutcome::PictureChanged:
            return "画像が変わってしまうので変換しませんでした";
        case ESampleOutcome::NotWritten:
            return "ﾌｧｲﾙに書き込めないので変換しませんでした";
    }
    return {};
}

std::string SampleLoadText(ESampleLoad load) {
    switch (load) {
        case ESampleLoad::Loaded:
            break;
        case ESampleLoad::NoExif:
            return "Exif情報が見つかりません";
        case ESampleLoad::NoThumbnail:
            return "見本のExif情報に使えるｻﾑﾈｲﾙがありません";
        case ESampleLoad::NotDecoded:
            return SampleOutcomeText(ESampleOutcome::NotDecoded);
    }
    return {};
}

std::string ConversionSummary(const std::vector<CSampleResult>& results) {
    const auto converted = std::count_if(results.begin(), results.end(), [](const auto& result) {
        return result.outcome == ESampleOutcome::Converted;
    });
    std::string text = std::to_string(results.size()) + "個のﾌｧｲﾙのうち" +
                       std::to_string(converted) + "個を変換しました。";
    for (const CSampleResult& result : results) {
        if (result.outcome != ESampleOutcome::Converted) {
            text += "\r\n" + std::filesystem::path(result.path).filename().string() + "：" +
                    SampleOutcomeText(result.outcome);
            if (!result.reason.empty()) {
                text += "（" + result.reason + "）";
            }
        }
    }
    return text;
}

namespace {

// Why path could not be opened for reading, asking the system again.
std::string WhyNotOpened(const std::string& path) {
    const CFileHandle file(path, O_RDONLY);
    const int error = file.IsOpen() ? 0 : errno;
    return FileFailureMessage(path, FileFailureOf(error), error);
}

}  // namespace

CSampleConversion::CSampleConversion(const CWorkFiles& work, CExifEngine& exif)
    : m_work(work), m_exif(exif), m_preview(CImageTools::CreatePreviewSurface()) {}

ESampleLoad CSampleConversion::LoadSample(const std::string& path) {
    CImageBuffer picture;
    if (!DecodeJpegFile(path, picture)) {
        return ESampleLoad::NotDecoded;
    }
    m_exif.Tools().FitImage(picture, m_preview);
    ++m_nSampleCount;
    m_sampleBlock.clear();
    CExifCutSizes sizes;
    if (CopyFileBlocks(path, m_work.m_strTempData) &&
        m_exif.CutExifToFile(m_work.m_strTempData, m_work.m_strExifDat, sizes) ==
            EExifResult::Done) {
        m_sampleBlock = ReadFileBytes(m_work.m_strExifDat).value_or(ByteVector{});
    }
    if (!HasSampleExif()) {
        return ESampleLoad::NoExif;
    }
    if (!CExifEngine::HasUsableThumbnail(m_sampleBlock)) {
        m_sampleBlock.clear();
        return ESampleLoad::NoThumbnail;
    }
    return ESampleLoad::Loaded;
}

std::vector<std::string> CSampleConversion::Register(const std::vector<std::string>& paths) {
    std::vector<std::string> already;
    for (const std::string& path : paths) {
        if (std::find(m_RegisteredFiles.begin(), m_RegisteredFiles.end(), path) !=
            m_RegisteredFiles.end()) {
            already.push_back(path);
        } else {
            m_RegisteredFiles.push_back(path);
        }
    }
    return already;
}

void CSampleConversion::Remove(std::vector<int> rows) {
    // From the last row up, so that the rows still to go keep their numbers.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (*row >= 0 && static_cast<size_t>(*row) < m_RegisteredFiles.size()) {
            m_RegisteredFiles.erase(m_RegisteredFiles.begin() + *row);
        }
    }
}

std::vector<CSampleResult> CSampleConversion::ConvertAll(
    const std::function<void(const CSampleResult&)>& onFile) const {
    std::vector<CSampleResult> results;
    if (!HasSampleExif()) {
        return results;
    }
    // The block goes back into its work file first: whatever used that file
    // since the sample was loaded, the conversion uses this sample's block.
    const std::string block(m_sampleBlock.begin(), m_sampleBlock.end());
    const bool blockReady = WriteWholeFile(m_work.m_strExifDat, block);
    for (const std::string& path : m_RegisteredFiles) {
        const CStopwatch stopwatch;
        CSampleResult result =
            blockReady ? Convert(path) : CSampleResult{path, ESampleOutcome::NotEmbedded, {}};
        result.ms = stopwatch.ElapsedMs();
        if (onFile) {
            onFile(result);
        }
        results.push_back(std::move(result));
    }
    return results;
}

// The file is only replaced, safely, once the converted file beside it is
// known to show exactly the picture the file showed before. Every failure of
// one file is its typed result, so that the batch goes on with the next file.
CSampleResult CSampleConversion::Convert(const std::string& path) const {
    try {
        if (!FileLength(path)) {
            return {path, ESampleOutcome::NotRead, WhyNotOpened(path)};
        }
        const CPictureSource reference = CPictureSource::File(path, false);
        if (!DecodePicture(reference, ECheckThreads::One)) {
            return {path, ESampleOutcome::NotDecoded, {}};
        }
        CTransplantHead head;
        if (m_exif.BuildTransplantHead(m_work.m_strExifDat, path, head) != EExifResult::Done) {
            return {path, ESampleOutcome::NotEmbedded, {}};
        }
        return ReplaceChecked(path, head, reference);
    } catch (const CFileException& error) {
        // Only reads throw here; the replacement reports through its result.
        return {path, ESampleOutcome::NotRead, error.what()};
    }
}

// The converted file is written beside path and checked from the disk, so
// that no copy of a picture of any size is held. A failure to write it
// (the file's own bytes that are copied behind the new head included) is
// NotWritten with the system's words; the temporary file never stays.
CSampleResult CSampleConversion::ReplaceChecked(const std::string& path,
                                                const CTransplantHead& head,
                                                const CPictureSource& reference) const {
    try {
        CSafeReplacement replacement(path);
        CExifEngine::WriteTransplant(head, path, replacement);
        replacement.Finish();
        if (!ShowsSamePicture(reference, CPictureSource::File(replacement.TemporaryPath(), false),
                              ECheckThreads::Two)) {
            return {path, ESampleOutcome::PictureChanged, {}};
        }
        replacement.Commit();
        return {path, ESampleOutcome::Converted, {}};
    } catch (const CFileException& error) {
        return {path, ESampleOutcome::NotWritten, error.what()};
    }
}
