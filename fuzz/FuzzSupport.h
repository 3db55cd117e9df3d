// What the fuzz targets share: a private folder for the work files of one
// fuzzing process, a quiet message sink, a reader that takes the fields of a
// target's input one by one, and the decode that every check of a written
// picture compares with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "exif/ExifEngine.h"
#include "imaging/PackedPicture.h"
#include "util/FileBytes.h"
#include "util/WorkFiles.h"

// Made once per process in shared memory or the temporary folder, removed with everything
// in it when the fuzzer ends the run with exit().
class CFuzzFolder {
public:
    CFuzzFolder();
    CFuzzFolder(const CFuzzFolder&) = delete;
    CFuzzFolder& operator=(const CFuzzFolder&) = delete;
    ~CFuzzFolder();

    // name inside the folder; the folder itself for "".
    std::string File(const std::string& name) const { return m_strPath + "/" + name; }
    // Removes everything inside the folder, so that no input sees the files
    // an earlier one left.
    void Empty() const;

private:
    std::string m_strPath;
};

// Messages of the core go nowhere: a target checks results, not texts.
void SilenceMessages();

// Where the targets that write pictures work: the work files and the Exif
// engine in one folder, the pictures they write in another, so that a check
// of what was left beside a picture never meets a work file.
struct CFuzzWorkspace {
    CFuzzWorkspace() { SilenceMessages(); }
    CFuzzFolder scratch;
    CFuzzFolder photos;
    CWorkFiles work = MakeWorkFiles(scratch.File(""), scratch.File(""));
    CExifEngine exif{work.m_strExifInf, ""};
};

// A broken invariant ends the run as a crash, so that the fuzzer keeps the input.
void Require(bool condition);

// Takes the fields of an input from its front; past the end every field is
// zero or empty, so that any input is a complete one.
class CFuzzReader {
public:
    CFuzzReader(const uint8_t* data, size_t size) : m_pData(data), m_nLeft(size) {}

    uint8_t Byte();
    // Up to count bytes.
    ByteVector Bytes(size_t count);
    // A field led by its length in two bytes, high byte first.
    ByteVector SizedBytes();
    ByteVector Rest() { return Bytes(m_nLeft); }
    bool Empty() const { return m_nLeft == 0; }

private:
    const uint8_t* m_pData;
    size_t m_nLeft;
};

// A picture whose header declares more pixels than this takes too long to
// decode many times a second, and finds nothing a smaller one would not.
inline constexpr int64_t kFuzzLargestPixels = 128 * 128;
bool DeclaresLargePicture(const ByteVector& jpeg);

// The decoded picture of jpeg; false when it does not decode.
bool DecodeForFuzz(const ByteVector& jpeg, CPackedPicture& picture);
// Both decode to the same pixels; two pictures that do not decode are not the same.
bool SamePixels(const CPackedPicture& picture, const ByteVector& jpeg);
