#include "exif/ExifEmbedBatch.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "dates/FileTimes.h"
#include "exif/ExifEmbedding.h"
#include "exif/ExifEngine.h"
#include "imaging/PictureCheck.h"
#include "segment/JpegHead.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "util/FileError.h"
#include "util/FileFailure.h"
#include "util/FileHelpers.h"
#include "util/SafeReplace.h"
#include "util/ShellNotify.h"
#include "util/TextHelpers.h"

namespace {

// Something other than a regular file (a named pipe, a folder) stands at path.
bool IsIrregularFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

// Only a photo whose head holds an MPF index is read whole: the primary
// picture's end, which the index counts from, lies behind its picture data.
CMpfLayout MpfLayoutOf(const std::string& path) {
    const std::optional<ByteVector> head = ReadJpegHead(path);
    if (!head || !FindMpfLayout(*head).m_mpf) {
        return {};
    }
    const std::optional<ByteVector> bytes = ReadFileBytes(path);
    return bytes ? FindMpfLayout(*bytes) : CMpfLayout();
}

}  // namespace

CExifEmbedBatch::CExifEmbedBatch(const CWorkFiles& work, const CSettingsStore& settings,
                                 CExifEngine& exif, IEngineListener* listener)
    : m_work(work), m_settings(settings), m_exif(exif), m_log(listener) {}

int CExifEmbedBatch::ProcessDrop(const std::vector<std::string>& paths,
                                 const ExifFileDone& onFile) {
    if (paths.empty()) {
        NotifyFileManagerUnlessOff(m_settings, EShellNotice::AssociationsChanged);
        return 0;
    }
    return ProcessExifDrop(
        paths, m_log, [this](const std::string& path) { return Embed(path); }, onFile,
        EExifBatchOutcome::Embedded);
}

// The .exif file must exist and carry an Exif structure.
std::optional<EExifBatchOutcome> CExifEmbedBatch::FindBlock(const std::string& path,
                                                            const std::string& backup) {
    if (m_exif.ProbeExifFile(path) == EExifResult::Done) {
        m_log.Append(path + "は、すでにExif情報が埋め込まれています。\r\n\r\n");
        return EExifBatchOutcome::HasExif;
    }
    switch (m_exif.ProbeExifFile(backup)) {
        case EExifResult::Done:
            m_log.Append(backup + "を見つけました。\r\n");
            return std::nullopt;
        case EExifResult::FileNotOpened:
            m_log.Append(
                IsIrregularFile(backup)
                    ? FileFailureMessage(backup, EFileFailure::NotRegularFile) +
                          "Exif情報の埋め込みは行いません。\r\n\r\n"
                    : backup + "は見つかりませんので、Exif情報の埋め込みは行いません。\r\n\r\n");
            return EExifBatchOutcome::NoBackup;
        default:
            m_log.Append(
                backup +
                "にはExif情報が検出されませんのでExif情報の埋め込みは行いません。\r\n\r\n");
            return EExifBatchOutcome::BackupWithoutExif;
    }
}

CExifBatchResult CExifEmbedBatch::Embed(const std::string& path) {
    // Before anything reads the file: reading it may move its access time.
    const std::optional<CFileTimes> times = ReadFileTimes(path);
    const bool checkPixels = !settings::LetsDamagedPicturesThrough(m_settings);
    const CPictureSource reference = CPictureSource::File(path, true);
    if (checkPixels && !DecodePicture(reference, ECheckThreads::One)) {
        m_log.Append(path + "は読み込めません...\r\n\r\n");
        return {path, EExifBatchOutcome::NotDecoded};
    }
    const std::string backup = CExifEngine::ExifBackupName(path, m_settings);
    if (const std::optional<EExifBatchOutcome> missing = FindBlock(path, backup)) {
        return {path, *missing};
    }
    CMpfLayout layout;
    if (std::optional<CExifBatchResult> failed = CopyToHexWorkFile(path, layout)) {
        return *failed;
    }
    const EEmbedResult inserted = InsertBlockIntoWorkText(m_exif, m_work, backup, layout);
    if (inserted != EEmbedResult::Embedded) {
        m_log.Append(EmbedFailureMessage(inserted) + "\r\n\r\n");
        return {path, EExifBatchOutcome::NotEmbedded};
    }
    const CPictureSource result = CPictureSource::File(m_work.m_strTempData, true);
    const bool shows = checkPixels ? ShowsSamePicture(reference, result, ECheckThreads::Two)
                                   : DecodePicture(result, ECheckThreads::One).has_value();
    if (!shows) {
        m_log.Append(EmbedFailureMessage(EEmbedResult::PictureChanged) + "\r\n\r\n");
        return {path, EExifBatchOutcome::NotEmbedded};
    }
    const CExifBatchResult written = WriteOutput(path, times);
    if (written.outcome == EExifBatchOutcome::Embedded) {
        m_log.Append("Exif情報の埋め込みに成功しました。\r\n\r\n");
    }
    return written;
}

// A file that cannot be read midway is that file's result, logged with the
// system's words, and the batch goes on with the next one.
std::optional<CExifBatchResult> CExifEmbedBatch::CopyToHexWorkFile(const std::string& path,
                                                                   CMpfLayout& layout) {
    try {
        layout = MpfLayoutOf(path);
        BinaryFileToHexFile(path, m_work.m_strTempHexa);
        return std::nullopt;
    } catch (const CFileException& error) {
        m_log.Append(path + "のｺﾋﾟｰを作成できませんでした。\r\n" + error.what() + "\r\n\r\n");
        return CExifBatchResult{path, EExifBatchOutcome::NotRead, "", error.what()};
    }
}

CExifBatchResult CExifEmbedBatch::WriteOutput(const std::string& path,
                                              const std::optional<CFileTimes>& times) {
    const std::string fileName = m_settings.Read(settings::kFileName);
    const std::string output = BatchOutputName(path, fileName, ".jpg");
    if (!fileName.empty() && FileExists(output)) {
        m_log.Append(output + "同じﾌｧｲﾙ名が存在したのでｺﾋﾟｰされませんでした。\r\n\r\n");
        return {path, EExifBatchOutcome::OutputExists};
    }
    if (const std::optional<std::string> failure = CopyOver(output)) {
        return {path, EExifBatchOutcome::NotWritten, "", *failure};
    }
    if (!fileName.empty()) {
        m_log.Append(output + "へ正常にｺﾋﾟｰしました。\r\n");
    } else {
        if (times) {
            WriteFileTimes(output, *times);
        }
        m_log.Append(output + "へ上書きしました。\r\n");
    }
    return {path, EExifBatchOutcome::Embedded, output};
}

std::optional<std::string> CExifEmbedBatch::CopyOver(const std::string& output) {
    const CWriteOutcome outcome = CopyFileSafely(m_work.m_strTempData, output);
    if (outcome) {
        return std::nullopt;
    }
    const std::string failure = CopyFailedMessage(outcome);
    m_log.Append(failure + "\r\n\r\n");
    return failure;
}
