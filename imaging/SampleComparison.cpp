#include "imaging/SampleComparison.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/JpegDecompressor.h"
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

// One file decoding row by row with the library's default output.
class CSampleReader {
public:
    // Opens path, reads its header and starts the decode (a progressive file
    // reads all its scans here). False, with Reason(), when that fails.
    bool Open(const std::string& path) {
        m_file.reset(OpenRegularFileForReading(path));
        if (!m_file) {
            m_strReason = OpenFailure(errno);
            return false;
        }
        bool tooLarge = false;
        const bool started = m_decoder.Run([&] {
            jpeg_decompress_struct& info = m_decoder.Info();
            m_decoder.Create();
            jpeg_stdio_src(&info, m_file.get());
            jpeg_read_header(&info, TRUE);
            jpeg_calc_output_dimensions(&info);
            tooLarge = int64_t{info.output_width} * info.output_height * info.out_color_components >
                       kMaxPictureBytes;
            if (tooLarge) {
                return false;
            }
            jpeg_start_decompress(&info);
            return true;
        });
        if (!started) {
            m_strReason = tooLarge ? "the picture has more than 1 GiB of samples" : Failure();
            return false;
        }
        const jpeg_decompress_struct& info = m_decoder.Info();
        m_shape = {static_cast<int32_t>(info.output_width),
                   static_cast<int32_t>(info.output_height), info.output_components};
        m_row.resize(size_t{info.output_width} * static_cast<size_t>(info.output_components));
        return true;
    }
    // Decodes the next row into Row().
    bool ReadRow() {
        JSAMPROW row = m_row.data();
        if (m_decoder.Run([&] { return jpeg_read_scanlines(&m_decoder.Info(), &row, 1) == 1; })) {
            return true;
        }
        m_strReason = Failure();
        return false;
    }
    // Reads the rest of the file up to its end marker, as a full decode does.
    bool Finish() {
        if (m_decoder.Run([&] { return jpeg_finish_decompress(&m_decoder.Info()) != FALSE; })) {
            return true;
        }
        m_strReason = Failure();
        return false;
    }
    const CSampleShape& Shape() const { return m_shape; }
    const std::vector<uint8_t>& Row() const { return m_row; }
    const std::string& Reason() const { return m_strReason; }

private:
    std::string Failure() const {
        return *m_decoder.Reason() != '\0' ? m_decoder.Reason() : "the decoder stopped";
    }

    std::unique_ptr<std::FILE, CFileCloser> m_file;
    CDecompressor m_decoder;
    CSampleShape m_shape;
    std::vector<uint8_t> m_row;
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
    for (int32_t y = 0; y < result.m_first.m_nHeight; ++y) {
        if (!first.ReadRow()) {
            return Undecodable(result, true, first);
        }
        if (!second.ReadRow()) {
            return Undecodable(result, false, second);
        }
        const auto [where, other] =
            std::mismatch(first.Row().begin(), first.Row().end(), second.Row().begin());
        if (where != first.Row().end()) {
            result.m_eMatch = ESampleMatch::DifferentSamples;
            result.m_nRow = y;
            result.m_nColumn = (where - first.Row().begin()) / result.m_first.m_nComponents;
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
