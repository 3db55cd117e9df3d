// The JSON records of the Exif batches, the sample-layout conversion and the
// date batch: one object per file, printed with PrintJsonLine as soon as the
// file is done. Keys: file, outcome (a lower-case
// hyphenated name), the file written (output or exif_backup, null when
// none), reason (null unless the file was skipped or failed), ms; the date
// batch gives the times set instead of a file written.
#pragma once

#include <QJsonObject>
#include <string>

#include "dates/FileDateBatch.h"
#include "exif/ExifBatchResult.h"
#include "exif/SampleConversion.h"

// writtenKey: "exif_backup" for the backup batch, "output" for the embedding.
QJsonObject ExifBatchRecord(const CExifBatchResult& result, const char* writtenKey);
QJsonObject SampleRecord(const CSampleResult& result);
// A folder given that holds no JPEG file, for the commands whose core does
// not report it as a file.
QJsonObject NoJpegFilesRecord(const std::string& folder);
// moment: the times asked for; the modification time given is the one read
// back from the file.
QJsonObject DatesRecord(const CFileDateBatch::CFileResult& result, const CFileTimes& moment);
