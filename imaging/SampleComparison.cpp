#include "imaging/SampleComparison.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/JpegBandReader.h"
#include "util/FileHandle.h"

namespace {

struct CFileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string OpenFailure(int error) {
    if (error == EISDIR) {
        return "a folder, not a file";
    }
    if (error == ENXIO) {
        return "not a regular file (a named pipe, device or socket)";
    }
    return std::strerror(error);
}

// Rows decoded and compared at a time: one, so that a file failing further
// down is still reported by the first difference above the failure.
constexpr JDIMENSION kBandRows = 1;

// One file decoding a band of rows at a time with the library's default output.
class CSampleReader {
public:
    // Opens path, reads its header and starts the decode. False, with
    // Reason(), when that fails.
    bool Open(const std::string& path) {
        m_file.reset(OpenRegularFileForReading(path));
        if (!m_file) {
            m_strReason = OpenFailure(errno);
            return false;
        }
        if (!m_reader.Open({m_file.get()}, ESampleForm::LibraryDefault)) {
            m_strReason = m_reader.TooLarge() ? "the picture has more than 1 GiB of samples"
                                              : m_reader.Reason();
            return false;
        }
        m_shape = {static_cast<int32_t>(m_reader.Width()), static_cast<int32_t>(m_reader.Height()),
                   m_reader.OutputChannels()};
        m_band.resize(m_reader.RowBytes() * kBandRows);
        return true;
    }
    // Decodes the next count rows into Band().
    bool ReadBand(JDIMENSION count) {
        return m_reader.ReadRows(m_band.data(), m_reader.RowBytes(), count) || Failed();
    }
    // Reads the rest of the file up to its end marker, as a full decode does.
    bool Finish() { return m_reader.Finish() || Failed(); }
    const CSampleShape& Shape() const { return m_shape; }
    const uint8_t* Band() const { return m_band.data(); }
    size_t RowBytes() const { return m_reader.RowBytes(); }
    const std::string& Reason() const { return m_strReason; }

private:
    bool Failed() {
        m_strReason = m_reader.Reason();
        return false;
    }

    std::unique_ptr<std::FILE, CFileCloser> m_file;
    CJpegBandReader m_reader;
    CSampleShape m_shape;
    std::vector<uint8_t> m_band;
    std::string m_strReason;
};

CSampleComparison Undecodable(CSampleComparison result, bool first, const CSampleReader& reader) {
    result.m_eMatch = ESampleMatch::Undecodable;
    result.m_bFirstUndecodable = first;
    result.m_strReason = reader.Reason();
    return result;
}

// Both readers are open with the same shape.
CSampleComparison CompareRows(CSampleReader& first, CSampleReader& second,
                              CSampleComparison result) {
    const auto height = static_cast<JDIMENSION>(result.m_first.m_nHeight);
    for (JDIMENSION y = 0; y < height; y += kBandRows) {
        const JDIMENSION count = std::min(kBandRows, height - y);
        if (!first.ReadBand(count)) {
            return Undecodable(result, true, first);
        }
        if (!second.ReadBand(count)) {
            return Undecodable(result, false, second);
        }
        const uint8_t* end = first.Band() + count * first.RowBytes();
        const auto [where, other] = std::mismatch(first.Band(), end, second.Band());
        if (where != end) {
            const size_t offset = static_cast<size_t>(where - first.Band());
            result.m_eMatch = ESampleMatch::DifferentSamples;
            result.m_nRow = y + static_cast<int64_t>(offset / first.RowBytes());
            result.m_nColumn =
                static_cast<int64_t>(offset % first.RowBytes()) / result.m_first.m_nComponents;
            return result;
        }
    }
    if (!first.Finish()) {
        return Undecodable(result, true, first);
    }
    if (!second.Finish()) {
        return Undecodable(result, false, second);
    }
    return result;
}

}  // namespace

CSampleComparison CompareJpegSamples(const std::string& first, const std::string& second) {
    CSampleComparison result;
    CSampleReader firstReader;
    CSampleReader secondReader;
    if (!firstReader.Open(first)) {
        return Undecodable(result, true, firstReader);
    }
    result.m_first = firstReader.Shape();
    if (!secondReader.Open(second)) {
        return Undecodable(result, false, secondReader);
    }
    result.m_second = secondReader.Shape();
    if (!(result.m_first == result.m_second)) {
        result.m_eMatch = ESampleMatch::DifferentShape;
        return result;
    }
    return CompareRows(firstReader, secondReader, result);
}
