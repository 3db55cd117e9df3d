// What the batch optimiser did with one file, built while the file goes
// through the batch: the value the command line prints as a record and the
// window appends to its log. It holds nothing of the files before it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class EFileOutcome {
    // A smaller result was checked and written (or, in a dry run, would be).
    Optimised,
    // The file holds nothing to remove and stays as it is.
    NothingToRemove,
    // The work on the file stopped on a rule: a file it may not replace
    // exists, a setting forbids the removal, the user cancelled.
    Skipped,
    // The smaller result does not show the same picture; nothing was written.
    CheckFailed,
    // The file could not be read, decoded or written.
    Failed,
};

// The check that proved (or refused) the result.
enum class ECheckKind { None, DecodeOnly, Pixels };

// One piece of the input that the result no longer holds.
struct CRemovedSegment {
    // The marker code (0xFFE1); for data after the end marker 0xFFD9, for
    // data before the real picture the first marker of that data.
    uint16_t m_nMarker = 0;
    // Where the piece starts in the input file, in bytes.
    int64_t m_nOffset = 0;
    int64_t m_nBytes = 0;
    // "exif", "xmp", "icc-profile", "comment", "before-picture",
    // "after-end", "motion-photo", "gain-map", "mpf-image"; empty where not
    // known for sure. "orientation" is the 12-byte entry of a removed Exif
    // block, inside that block's own record.
    std::string m_strKind;

    bool operator==(const CRemovedSegment&) const = default;
};

// The decoded samples of the input: the JPEG library's default output (one
// byte per pixel for grey, red-green-blue for colour, the check's
// red-green-blue conversion for four-channel files), row after row.
struct CPixelProof {
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int m_nComponents = 0;
    // SHA-256 in lower-case hex; empty when not asked for.
    std::string m_strSha256Before;
    // Empty unless a result was written (or would be) whose samples the
    // check proved equal to the input's.
    std::string m_strSha256After;
};

struct CFileResult {
    EFileOutcome m_eOutcome = EFileOutcome::Failed;
    std::string m_strInput;
    int64_t m_nInputBytes = 0;
    // Empty when nothing was written (in a dry run: would be written).
    std::string m_strOutput;
    int64_t m_nOutputBytes = 0;
    std::vector<CRemovedSegment> m_removed;
    // Empty when no backup of the Exif block was written.
    std::string m_strExifBackup;
    ECheckKind m_eCheck = ECheckKind::None;
    std::optional<CPixelProof> m_pixels;
    // Why a file was skipped or failed: a short English text, or the
    // system's failure as the log tells it; empty otherwise.
    std::string m_strReason;
    // The file's part of the batch log, messages shown meanwhile included.
    std::string m_strLog;
    bool m_bDryRun = false;
    // What this file adds to the batch's totals: the scanned work copy (the
    // input without its Exif block) and the optimised list.
    int64_t m_nCountedBefore = 0;
    int64_t m_nCountedAfter = 0;
    int64_t m_nMilliseconds = 0;

    // Optimised and NothingToRemove; every other outcome fails the run.
    bool Succeeded() const;
};

// "optimised", "nothing-to-remove", "skipped", "check-failed", "failed".
const char* OutcomeName(EFileOutcome outcome);
// "none", "decode", "pixels".
const char* CheckName(ECheckKind check);
