// Whether two JPEG files, made by any program, decode to the same samples:
// what the JPEG library gives with its default decompression settings (one
// component for grey, three red-green-blue for colour, four for CMYK and YCCK
// as the library hands them back, unconverted). Both files decode side by
// side, one row at a time, and the first difference ends both decodes.
#pragma once

#include <cstdint>
#include <string>

enum class ESampleMatch {
    Same,
    // Width, height or component count differ.
    DifferentShape,
    DifferentSamples,
    // A file cannot be opened as a regular file or does not decode.
    Undecodable,
};

struct CSampleShape {
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int m_nComponents = 0;
    bool operator==(const CSampleShape&) const = default;
};

struct CSampleComparison {
    ESampleMatch m_eMatch = ESampleMatch::Same;
    // Known from DifferentShape on; zeros for a file whose header failed.
    CSampleShape m_first;
    CSampleShape m_second;
    // DifferentSamples: the first differing pixel, 0-based, top row first.
    int64_t m_nRow = 0;
    int64_t m_nColumn = 0;
    // Undecodable: which file, and the reason in the decoder's words.
    bool m_bFirstUndecodable = false;
    std::string m_strReason;
};

CSampleComparison CompareJpegSamples(const std::string& first, const std::string& second);
