// The one decoder loop of the codec: a decode pulled a band of rows at a time,
// so that a caller may keep the whole picture, compare it as it comes or only
// look at it once. Only the codec's own files include this header: it brings
// in jpeglib.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "imaging/JpegDecompressor.h"

// Where the decoder's input comes from: an open file or bytes in memory.
struct CJpegInput {
    std::FILE* file = nullptr;
    const uint8_t* bytes = nullptr;
    size_t length = 0;
    // With bytes: more bytes read as if they followed them.
    const uint8_t* more = nullptr;
    size_t moreLength = 0;
};

// The library's source of bytes in memory, for bytes in two pieces.
struct CTwoPieceSource {
    jpeg_source_mgr manager{};
    const uint8_t* more = nullptr;
    size_t moreLength = 0;
};

enum class ESampleForm {
    // Blue-green-red, grey as three equal bytes, four-channel files turned
    // into blue-green-red by the codec: the form of every pixel check.
    PackedBgr,
    // The library's default output: one, three (red-green-blue) or four
    // channels as stored.
    LibraryDefault,
};

// A size the decoder's own scaling must not go below.
struct CLeastSize {
    int32_t width;
    int32_t height;
};

class CJpegBandReader {
public:
    // Reads input's header and starts the decode (a progressive file reads
    // all its scans here). False when that fails or when the picture's
    // samples would pass 1 GiB (then TooLarge()). With least, the library
    // decodes at the smallest of 1/8, 1/4 and 1/2 size still at least that
    // large (full size when none is). May throw std::bad_alloc.
    bool Open(const CJpegInput& input, ESampleForm form, const CLeastSize* least = nullptr);
    // Decodes the next count rows (no more than are left) to rows, stride
    // bytes apart. False when the decoder fails. May throw std::bad_alloc.
    bool ReadRows(uint8_t* rows, size_t stride, JDIMENSION count);
    // Passes over the next count rows: their data is read, and its warnings
    // counted, but no pixels are made of it. False when the decoder fails.
    bool SkipRows(JDIMENSION count);
    // Reads the rest of the file up to its end marker, as a full decode does.
    bool Finish();
    // True when SkipRows from the top to the end of a row of MCUs is
    // followed by exactly the rows a whole decode gives there, and the decode
    // meets the same warnings (see the .cpp for which files).
    bool SkipsExactly() const;

    JDIMENSION Width() const { return m_decoder.Info().output_width; }
    JDIMENSION Height() const { return m_decoder.Info().output_height; }
    // The row read next, 0-based.
    JDIMENSION NextRow() const { return m_decoder.Info().output_scanline; }
    // Bytes of one row in the form asked for.
    size_t RowBytes() const { return size_t{Width()} * static_cast<size_t>(m_nOutputChannels); }
    int OutputChannels() const { return m_nOutputChannels; }
    // Channels of the file: 1 grey, 3 colour, 4 CMYK or YCCK.
    int FileComponents() const;
    // For a file of one scan decoded at full size: the rows of one row of
    // MCUs, the MCUs in it, and the MCUs between two restart markers (0 when
    // there are none).
    JDIMENSION McuRowHeight() const;
    JDIMENSION McusPerRow() const { return m_decoder.Info().MCUs_per_row; }
    unsigned RestartInterval() const { return m_decoder.Info().restart_interval; }
    int Warnings() const { return m_decoder.Warnings(); }
    // Bytes the decoder stepped over looking for a marker and has not warned
    // of yet: it does so at the next marker it looks for.
    bool HoldsSteppedOverBytes() const;
    bool TooLarge() const { return m_bTooLarge; }
    // The file has several scans: the decode holds all its coefficients.
    bool MultipleScans() const { return m_bMultipleScans; }
    // Why the last step failed, in the decoder's words.
    const char* Reason() const;

private:
    bool ReadFourChannelRows(uint8_t* rows, size_t stride, JDIMENSION count);

    CDecompressor m_decoder;
    CTwoPieceSource m_pieces;
    ESampleForm m_form = ESampleForm::PackedBgr;
    int m_nOutputChannels = 3;
    bool m_bTooLarge = false;
    bool m_bMultipleScans = false;
    std::vector<JSAMPROW> m_rowPointers;
    // The four-channel rows before they become blue-green-red.
    std::vector<uint8_t> m_fourChannelRows;
};
