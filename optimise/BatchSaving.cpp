#include "optimise/BatchSaving.h"

#include <cstdio>

#include "exif/ExifEngine.h"
#include "settings/SettingsStore.h"
#include "util/FileBytes.h"
#include "util/FileHelpers.h"
#include "util/MessageSink.h"
#include "util/SafeReplace.h"
#include "util/TextHelpers.h"

CBatchSaving::CBatchSaving(const std::string& dropped, const std::optional<CFileTimes>& times,
                           const ByteVector& workCopy, const ByteVector& exifBlock,
                           const CSettingsStore& settings)
    : m_strDropped(dropped),
      m_times(times),
      m_workCopy(workCopy),
      m_exifBlock(exifBlock),
      m_settings(settings),
      m_strOutput(BatchOutputName(dropped, settings.Read(settings::kFileName), ".jpg")),
      m_strExifBackup(CExifEngine::ExifBackupName(dropped, settings)) {}

bool CBatchSaving::StopsAfterExifRemoval() const {
    const bool backupStops = m_settings.Read(settings::kSaveExif) == 1 &&
                             m_settings.Read(settings::kOverwrite) == 0 &&
                             FileExists(m_strExifBackup);
    const bool outputStops =
        !m_settings.Read(settings::kFileName).empty() && FileExists(m_strOutput);
    return backupStops || outputStops;
}

bool CBatchSaving::SaveAfterExifRemoval(const ByteVector* optimised, std::string& log) {
    if (!SaveExifBlock(log)) {
        return false;
    }
    if (!SaveOutput(log, false, optimised)) {
        UndoExifBlock(log);
        return false;
    }
    m_bExifStepWroteOutput = true;
    m_bOutputHoldsOptimised = optimised != nullptr;
    return true;
}

bool CBatchSaving::SaveOptimised(const ByteVector& bytes, std::string& log) {
    if (m_bOutputHoldsOptimised) {
        log += SavedLine();
        return true;
    }
    return SaveOutput(log, m_bExifStepWroteOutput, &bytes);
}

bool CBatchSaving::SaveExifBlock(std::string& log) {
    if (m_settings.Read(settings::kSaveExif) != 1) {
        log += "ｼｽﾃﾑの設定でExif情報は保存しません。\r\n";
        return true;
    }
    if (FileExists(m_strExifBackup)) {
        if (m_settings.Read(settings::kOverwrite) == 0) {
            log += m_strExifBackup + "というﾌｧｲﾙは存在します。処理を停止します。\r\n\r\n";
            return false;
        }
        log += m_strExifBackup + "というﾌｧｲﾙは存在します。上書きします。\r\n";
        m_earlierExifBlock = ReadFileBytes(m_strExifBackup);
        if (!m_earlierExifBlock) {
            log += m_strExifBackup + "は読み込めません...\r\n\r\n";
            return false;
        }
    }
    if (!Write(m_exifBlock, m_strExifBackup, log)) {
        return false;
    }
    m_bExifBlockWritten = true;
    log += m_strExifBackup + "へExif情報を保存しました。\r\n";
    return true;
}

void CBatchSaving::UndoExifBlock(std::string& log) {
    if (!m_bExifBlockWritten) {
        return;
    }
    const bool undone =
        m_earlierExifBlock
            ? static_cast<bool>(WriteFileSafely(m_strExifBackup, m_earlierExifBlock->data(),
                                                m_earlierExifBlock->size()))
            : std::remove(m_strExifBackup.c_str()) == 0;
    // Told before the blank line that ends this file's report.
    if (log.ends_with("\r\n\r\n")) {
        log.resize(log.size() - 2);
    }
    log += m_strExifBackup + (!undone              ? "を元に戻せませんでした。\r\n\r\n"
                              : m_earlierExifBlock ? "を元の内容に戻しました。\r\n\r\n"
                                                   : "を削除しました。\r\n\r\n");
    m_bExifBlockWritten = false;
}

bool CBatchSaving::SaveOutput(std::string& log, bool mayReplaceOutput, const ByteVector* content) {
    const bool overDropped = m_settings.Read(settings::kFileName).empty();
    if (!overDropped && FileExists(m_strOutput) && !mayReplaceOutput) {
        log += m_strOutput + "同じﾌｧｲﾙ名が存在したのでｺﾋﾟｰされませんでした。\r\n\r\n";
        return false;
    }
    const std::string& target = overDropped ? m_strDropped : m_strOutput;
    if (!Write(content != nullptr ? *content : m_workCopy, target, log)) {
        return false;
    }
    if (overDropped && m_times) {
        WriteFileTimes(m_strDropped, *m_times);
    }
    log += SavedLine();
    return true;
}

std::string CBatchSaving::SavedLine() const {
    return m_settings.Read(settings::kFileName).empty()
               ? m_strOutput + "へ上書きしました。\r\n\r\n"
               : m_strOutput + "へ最適化したJPEG画像をｺﾋﾟｰしました。\r\n\r\n";
}

bool CBatchSaving::Write(const ByteVector& content, const std::string& destination,
                         std::string& log) {
    return Reported(WriteFileSafely(destination, content.data(), content.size()), log);
}

// The message box tells that the file was not written; the log keeps why.
bool CBatchSaving::Reported(const CWriteOutcome& outcome, std::string& log) {
    if (outcome) {
        return true;
    }
    ShowMessage(CopyFailedMessage(outcome));
    log += outcome.failure + "\r\n\r\n";
    return false;
}
