// What one file of an Exif batch (backup or embedding) came to, as a value,
// so that a front end can report each file as soon as it is done.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class EExifBatchOutcome {
    BackedUp,
    Embedded,
    // The file could not be copied to the work area.
    NotRead,
    // The picture does not decode, and damaged pictures are not let through.
    NotDecoded,
    NoExif,
    // Its Exif block is no TIFF structure an embedding would accept.
    DamagedExif,
    // Embedding: the file carries an Exif block already.
    HasExif,
    // Embedding: its .exif file is missing or no regular file.
    NoBackup,
    // Embedding: its .exif file holds no Exif structure.
    BackupWithoutExif,
    // Embedding: the block could not be put in, or the result would not show
    // the same picture.
    NotEmbedded,
    // The backup or output name is taken and may not be overwritten.
    OutputExists,
    NotWritten,
    // A folder given that holds no JPEG file.
    NoJpegFiles,
};

struct CExifBatchResult {
    std::string path;
    EExifBatchOutcome outcome = EExifBatchOutcome::NotRead;
    // The file written (the .exif backup or the embedded picture); empty when none.
    std::string output = {};
    // The system's words on a NotWritten, or on a NotRead whose copy failed
    // midway, as the log gives them.
    std::string detail = {};
    int64_t ms = 0;
};

using ExifFileDone = std::function<void(const CExifBatchResult&)>;

// The outcome as a lower-case hyphenated name ("backed-up", "no-exif", ...):
// stable, for machine-read records.
const char* ExifBatchOutcomeName(EExifBatchOutcome outcome);

class CBatchLog;

// The loop both batches share: the dropped paths in order, a folder as the
// JPEG files in it (ExpandDroppedFolders), one left over logged as holding
// none. Every file goes through processFile, is timed and handed to onFile
// (when set). Returns how many came to success.
int ProcessExifDrop(const std::vector<std::string>& paths, CBatchLog& log,
                    const std::function<CExifBatchResult(const std::string&)>& processFile,
                    const ExifFileDone& onFile, EExifBatchOutcome success);
