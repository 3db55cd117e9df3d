#include "exif/ExifBackupBatch.h"

#include <optional>

#include "exif/ExifEngine.h"
#include "imaging/PictureCheck.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsValues.h"
#include "util/FileError.h"
#include "util/FileHelpers.h"
#include "util/SafeReplace.h"
#include "util/ShellNotify.h"

CExifBackupBatch::CExifBackupBatch(const CWorkFiles& work, const CSettingsStore& settings,
                                   CExifEngine& exif, IEngineListener* listener)
    : m_work(work), m_settings(settings), m_exif(exif), m_log(listener) {}

int CExifBackupBatch::ProcessDrop(const std::vector<std::string>& paths,
                                  const ExifFileDone& onFile) {
    if (paths.empty()) {
        NotifyFileManagerUnlessOff(m_settings, EShellNotice::AssociationsChanged);
        return 0;
    }
    return ProcessExifDrop(
        paths, m_log, [this](const std::string& path) { return BackUp(path); }, onFile,
        EExifBatchOutcome::BackedUp);
}

CExifBatchResult CExifBackupBatch::BackUp(const std::string& path) {
    using enum EExifBatchOutcome;
    if (!settings::LetsDamagedPicturesThrough(m_settings)) {
        if (!DecodePicture(CPictureSource::File(path, true), ECheckThreads::One)) {
            m_log.Append(path + "は読み込めません...\r\n\r\n");
            return {path, NotDecoded};
        }
    }
    if (std::optional<CExifBatchResult> failed = CopyToWorkCopy(path)) {
        return *failed;
    }
    CExifCutSizes sizes;
    const EExifResult cut = m_exif.CutExifToFile(m_work.m_strTempData, m_work.m_strExifDat, sizes);
    if (cut == EExifResult::Unrestorable) {
        m_log.Append(path + kUnrestorableExifText + "ﾊﾞｯｸｱｯﾌﾟしません。\r\n\r\n");
        return {path, DamagedExif};
    }
    if (cut != EExifResult::Done) {
        m_log.Append(path + "にExif情報は見つかりません。\r\n\r\n");
        return {path, NoExif};
    }
    m_log.Append(path + "の調査を完了しました。\r\n");
    const std::string backup = CExifEngine::ExifBackupName(path, m_settings);
    if (FileExists(backup)) {
        if (m_settings.Read(settings::kOverwrite) == 0) {
            m_log.Append(backup + "というﾌｧｲﾙは存在します。処理を停止します。\r\n\r\n");
            return {path, OutputExists};
        }
        m_log.Append(backup + "というﾌｧｲﾙは存在します。上書きします。\r\n");
    }
    const CWriteOutcome written = CopyFileSafely(m_work.m_strExifDat, backup);
    if (!written) {
        m_log.Append(written.failure + "\r\n\r\n");
        return {path, NotWritten, "", written.failure};
    }
    m_log.Append(backup + "へExif情報を保存しました。\r\n\r\n");
    return {path, BackedUp, backup};
}

// A copy that fails midway is that file's result, logged with the system's
// words: the batch goes on with the next file. One that cannot start (a file
// gone or closed to us) is skipped without a message, as it always was.
std::optional<CExifBatchResult> CExifBackupBatch::CopyToWorkCopy(const std::string& path) {
    try {
        if (CopyFileBlocks(path, m_work.m_strTempData)) {
            return std::nullopt;
        }
        return CExifBatchResult{path, EExifBatchOutcome::NotRead};
    } catch (const CFileException& error) {
        m_log.Append(path + "のｺﾋﾟｰを作成できませんでした。\r\n" + error.what() + "\r\n\r\n");
        return CExifBatchResult{path, EExifBatchOutcome::NotRead, "", error.what()};
    }
}
