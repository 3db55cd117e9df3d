#include "optimise/BatchSaving.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>

#include "exif/ExifEngine.h"
#include "settings/SettingsStore.h"
#include "util/FileBytes.h"
#include "util/FileHelpers.h"
#include "util/MessageSink.h"
#include "util/SafeReplace.h"
#include "util/TextHelpers.h"

namespace {

const std::string& NamingBase(const std::string& dropped, const CSavingRule& rule) {
    return rule.m_strOutputBase.empty() ? dropped : rule.m_strOutputBase;
}

// Makes the folders a mirrored result goes into; the write that follows
// reports the failure.
void MakeFoldersFor(const std::string& path) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
}

}  // namespace

CBatchSaving::CBatchSaving(const std::string& dropped, const std::optional<CFileTimes>& times,
                           const std::string& workCopy, const ByteVector& exifBlock,
                           const CSettingsStore& settings, const CSavingRule& rule)
    : m_strDropped(dropped),
      m_times(times),
      m_strWorkCopy(workCopy),
      m_exifBlock(exifBlock),
      m_settings(settings),
      m_rule(rule),
      m_strOutput(
          BatchOutputName(NamingBase(dropped, rule), settings.Read(settings::kFileName), ".jpg")),
      m_strExifBackup(CExifEngine::ExifBackupName(NamingBase(dropped, rule), settings)) {}

std::string CBatchSaving::WrittenExifBackup() const {
    return m_bExifBlockWritten ? m_strExifBackup : std::string();
}

void CBatchSaving::Stop(const std::string& reason, bool existingFile) {
    m_strStopReason = reason;
    m_bStoppedByExistingFile = existingFile;
}

const std::string& CBatchSaving::OverwriteTarget() const {
    return NamingBase(m_strDropped, m_rule);
}

bool CBatchSaving::StopsAfterExifRemoval() const {
    const bool backupStops = m_settings.Read(settings::kSaveExif) == 1 &&
                             m_settings.Read(settings::kOverwrite) == 0 &&
                             FileExists(m_strExifBackup);
    const bool outputStops =
        !m_settings.Read(settings::kFileName).empty() && FileExists(m_strOutput);
    return backupStops || outputStops;
}

bool CBatchSaving::SaveAfterExifRemoval(const std::string* optimised, std::string& log) {
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

bool CBatchSaving::SaveOptimised(const std::string& resultFile, std::string& log) {
    if (m_bOutputHoldsOptimised) {
        log += SavedLine();
        return true;
    }
    return SaveOutput(log, m_bExifStepWroteOutput, &resultFile);
}

bool CBatchSaving::SaveExifBlock(std::string& log) {
    if (m_settings.Read(settings::kSaveExif) != 1) {
        log += "ｼｽﾃﾑの設定でExif情報は保存しません。\r\n";
        return true;
    }
    if (FileExists(m_strExifBackup)) {
        if (m_settings.Read(settings::kOverwrite) == 0) {
            log += m_strExifBackup + "というﾌｧｲﾙは存在します。処理を停止します。\r\n\r\n";
            Stop("the Exif backup " + m_strExifBackup + " exists and overwrite is off", true);
            return false;
        }
        log += m_strExifBackup + "というﾌｧｲﾙは存在します。上書きします。\r\n";
        m_earlierExifBlock = ReadFileBytes(m_strExifBackup);
        if (!m_earlierExifBlock) {
            log += m_strExifBackup + "は読み込めません...\r\n\r\n";
            Stop("the existing Exif backup " + m_strExifBackup + " cannot be read", false);
            return false;
        }
    }
    if (!Write(m_exifBlock, m_strExifBackup, log)) {
        return false;
    }
    m_bExifBlockWritten = true;
    log += m_rule.m_bDryRun
               ? m_strExifBackup + "へExif情報を保存します(ﾄﾞﾗｲﾗﾝ: 書き込みません)。\r\n"
               : m_strExifBackup + "へExif情報を保存しました。\r\n";
    return true;
}

void CBatchSaving::UndoExifBlock(std::string& log) {
    if (!m_bExifBlockWritten) {
        return;
    }
    if (m_rule.m_bDryRun) {
        m_bExifBlockWritten = false;
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

bool CBatchSaving::SaveOutput(std::string& log, bool mayReplaceOutput,
                              const std::string* resultFile) {
    const bool overDropped = m_settings.Read(settings::kFileName).empty();
    if (!overDropped && FileExists(m_strOutput) && !mayReplaceOutput) {
        log += m_strOutput + "同じﾌｧｲﾙ名が存在したのでｺﾋﾟｰされませんでした。\r\n\r\n";
        Stop(m_strOutput + " exists and is not replaced", true);
        return false;
    }
    const std::string& target = overDropped ? OverwriteTarget() : m_strOutput;
    const std::string& written = resultFile != nullptr ? *resultFile : m_strWorkCopy;
    if (!Copy(written, target, log)) {
        return false;
    }
    // A result that takes the file's place keeps the file's dates.
    if (overDropped && m_times && !m_rule.m_bDryRun) {
        WriteFileTimes(target, *m_times);
    }
    m_strWrittenOutput = target;
    m_nWrittenBytes = static_cast<int64_t>(FileLength(written).value_or(0));
    log += SavedLine();
    return true;
}

std::string CBatchSaving::SavedLine() const {
    if (m_rule.m_bDryRun) {
        return m_strOutput + "へ書き込みます(ﾄﾞﾗｲﾗﾝ: 書き込みません)。\r\n\r\n";
    }
    return m_settings.Read(settings::kFileName).empty()
               ? m_strOutput + "へ上書きしました。\r\n\r\n"
               : m_strOutput + "へ最適化したJPEG画像をｺﾋﾟｰしました。\r\n\r\n";
}

bool CBatchSaving::Write(const ByteVector& content, const std::string& destination,
                         std::string& log) {
    return WriteBy([&] { return WriteFileSafely(destination, content.data(), content.size()); },
                   destination, log);
}

bool CBatchSaving::Copy(const std::string& file, const std::string& destination, std::string& log) {
    return WriteBy([&] { return CopyFileSafely(file, destination); }, destination, log);
}

bool CBatchSaving::WriteBy(const std::function<CWriteOutcome()>& write,
                           const std::string& destination, std::string& log) {
    if (m_rule.m_bDryRun) {
        return true;
    }
    if (!m_rule.m_strOutputBase.empty()) {
        MakeFoldersFor(destination);
    }
    return Reported(write(), log);
}

// The message box tells that the file was not written; the log keeps why.
bool CBatchSaving::Reported(const CWriteOutcome& outcome, std::string& log) {
    if (outcome) {
        return true;
    }
    if (m_rule.m_bMessagesInLog) {
        log += CopyFailedMessage(outcome) + "\r\n";
    } else {
        ShowMessage(CopyFailedMessage(outcome));
    }
    log += outcome.failure + "\r\n\r\n";
    Stop(outcome.failure, false);
    return false;
}
