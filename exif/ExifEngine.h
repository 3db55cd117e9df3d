// The Exif engine: finds, cuts out, puts back and transplants the Exif block
// (one APP1 segment whose data starts "Exif\0\0"), and decodes it into the tag
// dictionary it owns. One engine per window or worker: decodes write into its
// dictionary, so they must not overlap on one engine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exif/TagDictionary.h"
#include "imaging/ImageTools.h"
#include "util/FileBytes.h"

class CSafeReplacement;
class CSettingsStore;

// Results of the engine's file operations, with the numbers the JSON output shows.
// Unrestorable: an Exif segment whose structure no embedding would accept;
// it is left where it is rather than cut out and saved as a backup.
enum class EExifResult { NotFound = 0, Done = 1, FileNotOpened = 2, Unrestorable = 3 };

// What the logs say after a file's name about an Unrestorable block, before
// what became of it.
inline constexpr char kUnrestorableExifText[] = "のExif情報は壊れていて埋め込みに使えないため、";

struct CExifLocation {
    // Character position of the TIFF text in the hex text, and its length.
    size_t start;
    size_t length;
};

// The start of a transplant's result: the target's start marker, the new Exif
// segment and the target's other header segments. The target's bytes from
// m_nRestFrom on follow it unchanged.
struct CTransplantHead {
    ByteVector m_bytes;
    uint64_t m_nRestFrom = 0;
};

struct CExifCutSizes {
    int64_t before = 0;
    int64_t after = 0;
};

class CExifEngine {
public:
    // Loads the dictionary from dictionaryPath. The picture tools load the image
    // plug-ins of pluginFolder; the window passes the current folder, the
    // command line "" so that no code from the user's working folder is loaded.
    explicit CExifEngine(const std::string& dictionaryPath, const std::string& pluginFolder = ".");

    // Where the TIFF text of the first Exif block lies in the hex text of a
    // whole file. The signature is searched at every character, so a match at
    // an odd position counts. Nothing when there is no signature, when the
    // length field would lie before the text, or when the block would run
    // past the end of the text.
    static std::optional<CExifLocation> LocateExifHex(const std::string& hex);

    // Cuts the first Exif segment out of sourcePath (a work copy) into
    // blockPath, together with everything between the start marker and it.
    // Done, NotFound or Unrestorable (blockPath is then empty and the source
    // unchanged) or FileNotOpened.
    EExifResult CutExifToFile(const std::string& sourcePath, const std::string& blockPath,
                              CExifCutSizes& sizes) const;
    // The same cut on a work copy held in memory: file loses the segment and
    // everything between the start marker and it, block receives them (empty
    // when none is cut). Done, NotFound or Unrestorable.
    static EExifResult CutExif(ByteVector& file, ByteVector& block, CExifCutSizes& sizes);
    // What CutExif would cut from the file at path, found without changing
    // the file or holding it: block receives the Exif segment, cutEnd where
    // the cut [2, cutEnd) ends. Done, NotFound or Unrestorable (block then
    // empty), FileNotOpened.
    static EExifResult FindExifCut(const std::string& path, ByteVector& block, uint64_t& cutEnd);

    // Rewrites the JPEG hex file as "FFD8", the block hex file's text, and the
    // JPEG text after its first four characters. Done or FileNotOpened.
    EExifResult InsertExifHex(const std::string& jpegHexPath,
                              const std::string& blockHexPath) const;

    // Puts the .exif block into targetPath right after its start marker, with
    // a thumbnail made anew from the target's own picture at the old
    // thumbnail's size; the thumbnail-length entry of IFD1 follows the new
    // thumbnail. An Exif block the target already carries is replaced, not
    // kept beside the new one: readers may refuse two. Done; NotFound when the
    // block has no thumbnail, an unusable length, or would grow past 65535
    // bytes, or the target does not decode (the target is then left alone);
    // FileNotOpened when the .exif file cannot be opened. The target is
    // replaced safely: written beside it and renamed over it.
    EExifResult TransplantExifWithThumbnail(const std::string& exifPath,
                                            const std::string& targetPath) const;
    // True when block (a whole APP1 segment) holds a thumbnail that IFD1
    // gives a length to and whose header gives a size the transplant can
    // make a new thumbnail at.
    static bool HasUsableThumbnail(const ByteVector& block);
    // The same transplant, for a caller that checks the result before it
    // replaces anything: head receives the start of the result, and
    // WriteTransplant writes the whole of it. Only the target's header
    // segments are held; its picture is decoded at a reduced scale.
    EExifResult BuildTransplantHead(const std::string& exifPath, const std::string& targetPath,
                                    CTransplantHead& head) const;
    // Writes head and the target's bytes behind its old header into out.
    static void WriteTransplant(const CTransplantHead& head, const std::string& targetPath,
                                CSafeReplacement& out);

    // The backup name of a JPEG: its path without the last four characters,
    // the setting exifname, and ".exif".
    static std::string ExifBackupName(const std::string& jpegPath, const CSettingsStore& settings);

    // Decodes the TIFF structure of tiffHex into the dictionary; false when
    // it is none.
    bool DecodeExifHex(const std::string& tiffHex);
    // Decodes the first Exif block of a whole file's hex text; false when
    // there is none or it holds no TIFF structure.
    bool DecodeExifInHex(const std::string& fileHex);
    // Done when the file carries a decodable Exif structure in front of its
    // picture data (the dictionary's data now describes it), NotFound when it
    // does not, FileNotOpened when it cannot be opened. The picture data is
    // not read.
    EExifResult ProbeExifFile(const std::string& path);

    void LoadTagDictionary(const std::string& path) { m_dictionary.Load(path); }
    CTagDictionary& Dictionary() { return m_dictionary; }
    const CTagDictionary& Dictionary() const { return m_dictionary; }
    const CImageTools& Tools() const { return m_tools; }

private:
    CTagDictionary m_dictionary;
    CImageTools m_tools;
};
