// The pixel check every change of a file passes before it replaces anything,
// holding neither picture: the reference and the result decode side by side,
// a band of rows at a time, and the first difference ends both decodes. Both
// decode to the packed blue-green-red form of the program's pictures, with
// the same limits and refusals as every decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class CSampleDigest;
class IBandFeed;
struct CPackedPicture;

// A JPEG to decode: a file on disk, or bytes in memory that outlive the use.
struct CPictureSource {
    // A file; with nameChecked a name not ending in "jpg" in any case
    // (HasJpgName) fails at once, as the dialogs' decodes do.
    static CPictureSource File(const std::string& path, bool nameChecked);
    static CPictureSource Bytes(const uint8_t* bytes, size_t length);

    std::string m_strPath;
    const uint8_t* m_pBytes = nullptr;
    size_t m_nLength = 0;
    bool m_bFile = false;
    bool m_bNameChecked = false;
};

enum class ECheckThreads {
    // For a batch whose other files keep the other cores busy.
    One,
    // The reference decodes on a thread of its own, so that one file takes
    // about the time of one decode. Against a picture already held, a result
    // of one scan decodes in two parts at once instead.
    Two,
};

// What a decode tells of a picture besides its pixels.
struct CPictureFacts {
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    // Channels of the file: 1 grey, 3 colour, 4 CMYK or YCCK.
    int m_nComponents = 3;
    // Corrupt-data warnings the decode met.
    int m_nWarnings = 0;
};

// Decodes source whole, a band at a time, keeping none of it. digest, when
// given, is started for the file's channels and receives every row (on this
// thread; with Two the decode runs on another). nullopt when source does not
// decode.
std::optional<CPictureFacts> DecodePicture(const CPictureSource& source, ECheckThreads threads,
                                           CSampleDigest* digest = nullptr);

// True only when result shows exactly the pixels of reference (the same
// width, height and samples) and its decode meets no more corrupt-data
// warnings than the reference's. Bytes a decoder has to step over are not part
// of the picture, even when the pixels come out the same. False when either
// does not decode.
bool ShowsSamePicture(const CPictureSource& reference, const CPictureSource& result,
                      ECheckThreads threads);

// What a whole decode of a reference told: its facts and, when asked for,
// the digest of its samples (CSampleDigest).
struct CReferenceFacts {
    CPictureFacts m_picture;
    std::string m_strSha256;
};

// What results are checked against: a picture already held (the one the
// window shows), compared as each result decodes, or a source decoded anew
// beside each result. Whatever it refers to must outlive it. One thread at a
// time: a check may note what it learnt of the reference.
class CPictureReference {
public:
    explicit CPictureReference(const CPackedPicture& picture,
                               ECheckThreads threads = ECheckThreads::One)
        : m_pPicture(&picture), m_eThreads(threads) {}
    CPictureReference(CPictureSource source, ECheckThreads threads)
        : m_source(std::move(source)), m_eThreads(threads) {}

    // ShowsSamePicture of result against this reference. Once the reference
    // is known not to decode, false at once.
    bool IsShownBy(const CPictureSource& result) const;
    void SetThreads(ECheckThreads threads) { m_eThreads = threads; }
    ECheckThreads Threads() const { return m_eThreads; }

    // The next check also reads the reference to its end, past a difference
    // or a result that fails, and keeps its facts (with digest, the digest of
    // its samples): the reference's first decode is that check's.
    void TakeFactsInNextCheck(bool digest);
    // True once a check or Facts() learnt whether the reference decodes.
    bool WasReadWhole() const { return m_bReadWhole; }
    // The reference's facts, from the check that read it whole, else from a
    // decode of its own now; nullopt when it does not decode.
    const std::optional<CReferenceFacts>& Facts();

private:
    std::unique_ptr<IBandFeed> Feed(ECheckThreads threads) const;
    bool CheckReadingWhole(const CPictureSource& result) const;
    void Learn(const std::optional<CPictureFacts>& facts, CSampleDigest* digest) const;

    const CPackedPicture* m_pPicture = nullptr;
    CPictureSource m_source;
    ECheckThreads m_eThreads = ECheckThreads::One;
    bool m_bDigest = false;
    bool m_bTakeFactsInCheck = false;
    // What a check learnt, hence mutable.
    mutable bool m_bReadWhole = false;
    mutable std::optional<CReferenceFacts> m_facts;
};
