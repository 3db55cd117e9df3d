// The conversion to a sample picture's layout: a picture from a phone or a
// camera lends its Exif block to pictures made on a PC, each of which gets a
// thumbnail of its own picture inside it, so that the device shows them. The
// dialog and kestrin-cli's "exif transplant" drive this object; it keeps the
// sample, its preview and the registered files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/ImageBuffer.h"
#include "util/WorkFiles.h"

class CExifEngine;
struct CPictureSource;
struct CTransplantHead;

// NoThumbnail: the sample's Exif block has no thumbnail the transplant can
// replace, so every file would fail alike.
enum class ESampleLoad { Loaded, NoExif, NoThumbnail, NotDecoded };

// What to say of a sample that cannot serve (not Loaded).
std::string SampleLoadText(ESampleLoad load);

// NotRead: the file could not be opened or read; NotDecoded: it was read but
// shows no picture.
enum class ESampleOutcome {
    Converted,
    NotRead,
    NotDecoded,
    NotEmbedded,
    PictureChanged,
    NotWritten
};

struct CSampleResult {
    std::string path;
    ESampleOutcome outcome;
    // Why the file could not be read (NotRead) or written (NotWritten), in the
    // system's words.
    std::string reason = {};
    int64_t ms = 0;
};

// What happened to one file, in the words of the other dialogs.
std::string SampleOutcomeText(ESampleOutcome outcome);
// The message after a conversion: how many files were converted, then each
// skipped file's name with its reason.
std::string ConversionSummary(const std::vector<CSampleResult>& results);

class CSampleConversion {
public:
    // work names the scratch files the sample passes through; exif does the
    // cutting, the transplant and the scaling of the preview.
    CSampleConversion(const CWorkFiles& work, CExifEngine& exif);

    // Decodes the sample, makes its 320 x 320 preview and cuts its Exif block
    // out of a work copy. A sample that does not decode changes nothing; one
    // without an Exif block, or without a usable thumbnail in it, shows its
    // preview but leaves nothing to convert with, also after an earlier
    // sample that had one.
    ESampleLoad LoadSample(const std::string& path);
    // True when the last sample's Exif block can be converted with.
    bool HasSampleExif() const { return !m_sampleBlock.empty(); }
    // How many samples were shown; the preview is the last one's.
    int SampleCount() const { return m_nSampleCount; }
    // Own form, upside down in memory (rows bottom to top as shown).
    const CImageBuffer& SamplePreview() const { return m_preview; }

    // Appends the paths not registered yet, in order, and returns the ones
    // that already were.
    std::vector<std::string> Register(const std::vector<std::string>& paths);
    // Removes the registrations at rows; rows out of range are ignored.
    void Remove(std::vector<int> rows);
    const std::vector<std::string>& RegisteredFiles() const { return m_RegisteredFiles; }

    // Converts every registered file in order; the registrations stay. Each
    // result also goes to onFile (when set) as soon as the file is done.
    // Empty without a sample Exif block.
    std::vector<CSampleResult> ConvertAll(
        const std::function<void(const CSampleResult&)>& onFile = {}) const;

private:
    CSampleResult Convert(const std::string& path) const;
    CSampleResult ReplaceChecked(const std::string& path, const CTransplantHead& head,
                                 const CPictureSource& reference) const;

    CWorkFiles m_work;
    CExifEngine& m_exif;
    CImageBuffer m_preview;
    int m_nSampleCount = 0;
    // The whole APP1 segment of the last sample; empty when it had none.
    std::vector<uint8_t> m_sampleBlock;
    std::vector<std::string> m_RegisteredFiles;
};
