#include "exif/ExifEmbedBatch.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "dates/FileTimes.h"
#include "exif/ExifEmbedding.h"
#include "exif/ExifEngine.h"
#include "imaging/JpegDecoder.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "util/DroppedFolders.h"
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

}  // namespace

CExifEmbedBatch::CExifEmbedBatch(const CWorkFiles& work, const CSettingsStore& settings,
                                 CExifEngine& exif, IEngineListener* listener)
    : m_work(work), m_settings(settings), m_exif(exif), m_log(listener) {}

int CExifEmbedBatch::ProcessDrop(const std::vector<std::string>& paths) {
    if (paths.empty()) {
        NotifyFileManagerUnlessOff(m_settings, EShellNotice::AssociationsChanged);
        return 0;
    }
    int embedded = 0;
    for (const std::string& path : ExpandDroppedFolders(paths)) {
        if (IsFolder(path)) {
            m_log.Append(NoJpegFilesLine(path));
        } else {
            embedded += Embed(path) ? 1 : 0;
        }
    }
    return embedded;
}

// The .exif file must exist and carry an Exif structure.
bool CExifEmbedBatch::FindBlock(const std::string& path, const std::string& backup) {
    if (m_exif.ProbeExifFile(path) == EExifResult::Done) {
        m_log.Append(path + "は、すでにExif情報が埋め込まれています。\r\n\r\n");
        return false;
    }
    switch (m_exif.ProbeExifFile(backup)) {
        case EExifResult::Done:
            m_log.Append(backup + "を見つけました。\r\n");
            return true;
        case EExifResult::FileNotOpened:
            m_log.Append(
                IsIrregularFile(backup)
                    ? FileFailureMessage(backup, EFileFailure::NotRegularFile) +
                          "Exif情報の埋め込みは行いません。\r\n\r\n"
                    : backup + "は見つかりませんので、Exif情報の埋め込みは行いません。\r\n\r\n");
            return false;
        default:
            m_log.Append(
                backup +
                "にはExif情報が検出されませんのでExif情報の埋め込みは行いません。\r\n\r\n");
            return false;
    }
}

bool CExifEmbedBatch::Embed(const std::string& path) {
    // Before anything reads the file: reading it may move its access time.
    const std::optional<CFileTimes> times = ReadFileTimes(path);
    const bool checkPixels = !settings::LetsDamagedPicturesThrough(m_settings);
    CPackedPicture reference;
    if (checkPixels && !DecodeJpegToPacked(path, reference)) {
        m_log.Append(path + "は読み込めません...\r\n\r\n");
        return false;
    }
    const std::string backup = CExifEngine::ExifBackupName(path, m_settings);
    if (!FindBlock(path, backup)) {
        return false;
    }
    BinaryFileToHexFile(path, m_work.m_strTempHexa);
    if (InsertBlockIntoWorkText(m_exif, m_work, backup) != EEmbedResult::Embedded) {
        m_log.Append(EmbedFailureMessage(EEmbedResult::BlockUnreadable) + "\r\n\r\n");
        return false;
    }
    CPackedPicture decoded;
    const bool shows = checkPixels ? ShowsSamePicture(reference, m_work.m_strTempData)
                                   : DecodeJpegToPacked(m_work.m_strTempData, decoded);
    if (!shows) {
        m_log.Append(EmbedFailureMessage(EEmbedResult::PictureChanged) + "\r\n\r\n");
        return false;
    }
    if (!WriteOutput(path, times)) {
        return false;
    }
    m_log.Append("Exif情報の埋め込みに成功しました。\r\n\r\n");
    return true;
}

bool CExifEmbedBatch::WriteOutput(const std::string& path, const std::optional<CFileTimes>& times) {
    const std::string fileName = m_settings.Read(settings::kFileName);
    const std::string output = BatchOutputName(path, fileName, ".jpg");
    if (fileName.empty()) {
        if (!CopyOver(output)) {
            return false;
        }
        if (times) {
            WriteFileTimes(output, *times);
        }
        m_log.Append(output + "へ上書きしました。\r\n");
        return true;
    }
    if (FileExists(output)) {
        m_log.Append(output + "同じﾌｧｲﾙ名が存在したのでｺﾋﾟｰされませんでした。\r\n\r\n");
        return false;
    }
    if (!CopyOver(output)) {
        return false;
    }
    m_log.Append(output + "へ正常にｺﾋﾟｰしました。\r\n");
    return true;
}

bool CExifEmbedBatch::CopyOver(const std::string& output) {
    const CWriteOutcome outcome = CopyFileSafely(m_work.m_strTempData, output);
    if (!outcome) {
        m_log.Append(CopyFailedMessage(outcome) + "\r\n\r\n");
    }
    return static_cast<bool>(outcome);
}
