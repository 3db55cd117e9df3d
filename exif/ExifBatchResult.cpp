#include "exif/ExifBatchResult.h"

#include "util/BatchLog.h"
#include "util/DroppedFolders.h"
#include "util/Stopwatch.h"

const char* ExifBatchOutcomeName(EExifBatchOutcome outcome) {
    switch (outcome) {
        case EExifBatchOutcome::BackedUp:
            return "backed-up";
        case EExifBatchOutcome::Embedded:
            return "embedded";
        case EExifBatchOutcome::NotRead:
            return "not-read";
        case EExifBatchOutcome::NotDecoded:
            return "not-decoded";
        case EExifBatchOutcome::NoExif:
            return "no-exif";
        case EExifBatchOutcome::DamagedExif:
            return "damaged-exif";
        case EExifBatchOutcome::HasExif:
            return "has-exif";
        case EExifBatchOutcome::NoBackup:
            return "no-backup";
        case EExifBatchOutcome::BackupWithoutExif:
            return "backup-without-exif";
        case EExifBatchOutcome::NotEmbedded:
            return "not-embedded";
        case EExifBatchOutcome::OutputExists:
            return "output-exists";
        case EExifBatchOutcome::NotWritten:
            return "not-written";
        case EExifBatchOutcome::NoJpegFiles:
            return "no-jpeg-files";
    }
    return "not-read";
}

int ProcessExifDrop(const std::vector<std::string>& paths, CBatchLog& log,
                    const std::function<CExifBatchResult(const std::string&)>& processFile,
                    const ExifFileDone& onFile, EExifBatchOutcome success) {
    int succeeded = 0;
    for (const std::string& path : ExpandDroppedFolders(paths)) {
        const CStopwatch stopwatch;
        CExifBatchResult result{path, EExifBatchOutcome::NoJpegFiles};
        if (IsFolder(path)) {
            log.Append(NoJpegFilesLine(path));
        } else {
            result = processFile(path);
        }
        result.ms = stopwatch.ElapsedMs();
        succeeded += result.outcome == success ? 1 : 0;
        if (onFile) {
            onFile(result);
        }
    }
    return succeeded;
}
