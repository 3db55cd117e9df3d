#include "cli/FileRecords.h"

#include <QJsonValue>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "cli/JsonLine.h"
#include "util/DroppedFolders.h"

namespace {

QJsonValue FileNameOrNull(const std::string& path) {
    return path.empty() ? QJsonValue() : QJsonValue(JsonFileName(path));
}

// reason, and the system's own words after it when there are any.
QJsonValue Reason(const char* reason, const std::string& detail = {}) {
    return QString::fromUtf8(reason) + (detail.empty() ? QString() : ": " + JsonText(detail));
}

QJsonObject Record(const std::string& file, const char* outcome, int64_t ms) {
    return {{"file", JsonFileName(file)},
            {"outcome", QString::fromUtf8(outcome)},
            {"reason", QJsonValue()},
            {"ms", static_cast<qint64>(ms)}};
}

const char* ExifBatchReason(EExifBatchOutcome outcome) {
    switch (outcome) {
        case EExifBatchOutcome::BackedUp:
        case EExifBatchOutcome::Embedded:
            return nullptr;
        case EExifBatchOutcome::NotRead:
            return "the file could not be copied to the work folder";
        case EExifBatchOutcome::NotDecoded:
            return "the picture does not decode";
        case EExifBatchOutcome::NoExif:
            return "the file carries no Exif block";
        case EExifBatchOutcome::DamagedExif:
            return "its Exif block is damaged and no embedding could use it";
        case EExifBatchOutcome::HasExif:
            return "the file carries an Exif block already";
        case EExifBatchOutcome::NoBackup:
            return "its .exif file is missing or no regular file";
        case EExifBatchOutcome::BackupWithoutExif:
            return "its .exif file holds no Exif block";
        case EExifBatchOutcome::NotEmbedded:
            return "the block could not be embedded without changing the picture";
        case EExifBatchOutcome::OutputExists:
            return "a file of the output name exists and may not be overwritten";
        case EExifBatchOutcome::NotWritten:
            return "the result could not be written";
        case EExifBatchOutcome::NoJpegFiles:
            return "the folder holds no JPEG file";
    }
    return nullptr;
}

const char* SampleOutcomeName(ESampleOutcome outcome) {
    switch (outcome) {
        case ESampleOutcome::Converted:
            return "converted";
        case ESampleOutcome::NotRead:
            return "not-read";
        case ESampleOutcome::NotDecoded:
            return "not-decoded";
        case ESampleOutcome::NotEmbedded:
            return "not-embedded";
        case ESampleOutcome::PictureChanged:
            return "picture-changed";
        case ESampleOutcome::NotWritten:
            return "not-written";
    }
    return "not-written";
}

const char* SampleReason(ESampleOutcome outcome) {
    switch (outcome) {
        case ESampleOutcome::Converted:
            return nullptr;
        case ESampleOutcome::NotRead:
            return "the file cannot be read";
        case ESampleOutcome::NotDecoded:
            return "the picture does not decode";
        case ESampleOutcome::NotEmbedded:
            return "the sample's Exif block could not be put in";
        case ESampleOutcome::PictureChanged:
            return "the result would not show the same picture";
        case ESampleOutcome::NotWritten:
            return "the result could not be written";
    }
    return nullptr;
}

// A local time in ISO 8601 with its offset from UTC: 2024-03-01T12:30:00+09:00.
QJsonValue LocalIsoTime(const timespec& time) {
    std::tm local{};
    if (::localtime_r(&time.tv_sec, &local) == nullptr) {
        return QJsonValue();
    }
    char text[40];
    const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    QString iso = QString::fromUtf8(text, static_cast<qsizetype>(length));
    // strftime gives the offset as +0900; ISO 8601's extended form has a colon.
    if (iso.size() >= 5) {
        iso.insert(iso.size() - 2, ':');
    }
    return iso;
}

}  // namespace

QJsonObject ExifBatchRecord(const CExifBatchResult& result, const char* writtenKey) {
    QJsonObject record = Record(result.path, ExifBatchOutcomeName(result.outcome), result.ms);
    record.insert(QString::fromUtf8(writtenKey), FileNameOrNull(result.output));
    if (const char* reason = ExifBatchReason(result.outcome)) {
        record.insert("reason", Reason(reason, result.detail));
    }
    return record;
}

QJsonObject SampleRecord(const CSampleResult& result) {
    QJsonObject record = Record(result.path, SampleOutcomeName(result.outcome), result.ms);
    const bool converted = result.outcome == ESampleOutcome::Converted;
    record.insert("output",
                  converted ? QJsonValue(QString::fromStdString(result.path)) : QJsonValue());
    if (const char* reason = SampleReason(result.outcome)) {
        record.insert("reason", Reason(reason, result.reason));
    }
    return record;
}

QJsonObject NoJpegFilesRecord(const std::string& folder) {
    QJsonObject record = Record(folder, "no-jpeg-files", 0);
    record.insert("output", QJsonValue());
    record.insert("reason", Reason("the folder holds no JPEG file"));
    return record;
}

QJsonObject DatesRecord(const CFileDateBatch::CFileResult& result, const CFileTimes& moment) {
    using EResult = CTimesWritten::EResult;
    const CTimesWritten& written = result.written;
    const bool folder = IsFolder(result.path);
    const char* outcome = folder                               ? "no-jpeg-files"
                          : written.result == EResult::Set     ? "set"
                          : written.result == EResult::NotHeld ? "not-held"
                                                               : "not-changed";
    QJsonObject record = Record(result.path, outcome, result.ms);
    const bool set = written.result == EResult::Set;
    record.insert("modification", set ? LocalIsoTime(written.stored) : QJsonValue());
    record.insert("access", set ? LocalIsoTime(moment.access) : QJsonValue());
    record.insert("kept",
                  written.result == EResult::NotHeld ? LocalIsoTime(written.stored) : QJsonValue());
    if (folder) {
        record.insert("reason", Reason("the folder holds no JPEG file"));
    } else if (written.result == EResult::NotHeld) {
        record.insert("reason", Reason("its file system cannot hold this time; its times were "
                                       "left as they were"));
    } else if (!set) {
        record.insert("reason", Reason("its times cannot be changed",
                                       written.systemError != 0 ? std::strerror(written.systemError)
                                                                : std::string()));
    }
    return record;
}
