#include "imaging/JpegBandReader.h"

#include <algorithm>

namespace {

bool IsFourChannel(const jpeg_decompress_struct& info) {
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

// Under the error trap only.
void AttachInput(j_decompress_ptr info, const CJpegInput& input) {
    if (input.file != nullptr) {
        jpeg_stdio_src(info, input.file);
    } else {
        jpeg_mem_src(info, input.bytes, input.length);
    }
}

// A four-channel pixel as blue-green-red. libjpeg hands CMYK (and YCCK, once
// turned into CMYK) back as stored. A file with an Adobe marker stores the
// inverted values (255 = no ink), any other file stores amounts of ink. With
// c, m, y, k the "no ink" values: red = c * k / 255, green = m * k / 255,
// blue = y * k / 255, rounded to the nearest integer.
void ConvertFourChannelRow(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted) {
    const int flip = inverted ? 0 : 255;
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const int k = cmyk[3] ^ flip;
        bgr[0] = static_cast<uint8_t>(((cmyk[2] ^ flip) * k + 127) / 255);
        bgr[1] = static_cast<uint8_t>(((cmyk[1] ^ flip) * k + 127) / 255);
        bgr[2] = static_cast<uint8_t>(((cmyk[0] ^ flip) * k + 127) / 255);
    }
}

// Under the error trap only. jpeg_read_scanlines gives fewer rows than asked
// at times; it giving none is a failure.
bool ReadAll(jpeg_decompress_struct& info, JSAMPROW* rows, JDIMENSION count) {
    for (JDIMENSION done = 0; done < count;) {
        const JDIMENSION got = jpeg_read_scanlines(&info, rows + done, count - done);
        if (got == 0) {
            return false;
        }
        done += got;
    }
    return true;
}

// Under the error trap only. The library's smallest scale of 1/8, 1/4 and
// 1/2 whose output is still at least least; full size when none is.
void ScaleDownTo(jpeg_decompress_struct& info, const CLeastSize& least) {
    for (const unsigned denominator : {8U, 4U, 2U}) {
        const uint64_t width = (uint64_t{info.image_width} + denominator - 1) / denominator;
        const uint64_t height = (uint64_t{info.image_height} + denominator - 1) / denominator;
        if (width >= static_cast<uint64_t>(least.width) &&
            height >= static_cast<uint64_t>(least.height)) {
            info.scale_num = 1;
            info.scale_denom = denominator;
            return;
        }
    }
}

}  // namespace

// For the packed form a four-channel file is decoded as CMYK (libjpeg turns
// YCCK into CMYK itself and cannot turn CMYK into blue-green-red); other
// channel counts fail when decoding starts.
bool CJpegBandReader::Open(const CJpegInput& input, ESampleForm form, const CLeastSize* least) {
    m_form = form;
    m_bTooLarge = false;
    return m_decoder.Run([&] {
        jpeg_decompress_struct& info = m_decoder.Info();
        m_decoder.Create();
        AttachInput(&info, input);
        jpeg_read_header(&info, TRUE);
        m_bMultipleScans = jpeg_has_multiple_scans(&info) != FALSE;
        if (form == ESampleForm::PackedBgr) {
            info.out_color_space = IsFourChannel(info) ? JCS_CMYK : JCS_EXT_BGR;
        }
        if (least != nullptr) {
            ScaleDownTo(info, *least);
        }
        jpeg_calc_output_dimensions(&info);
        m_nOutputChannels = form == ESampleForm::PackedBgr ? 3 : info.out_color_components;
        m_bTooLarge =
            int64_t{info.output_width} * info.output_height * m_nOutputChannels > kMaxPictureBytes;
        if (m_bTooLarge) {
            return false;
        }
        jpeg_start_decompress(&info);
        return true;
    });
}

bool CJpegBandReader::ReadRows(uint8_t* rows, size_t stride, JDIMENSION count) {
    count = std::min(count, Height() - NextRow());
    if (m_form == ESampleForm::PackedBgr && IsFourChannel(m_decoder.Info())) {
        return ReadFourChannelRows(rows, stride, count);
    }
    m_rowPointers.resize(count);
    for (JDIMENSION i = 0; i < count; ++i) {
        m_rowPointers[i] = rows + i * stride;
    }
    return m_decoder.Run([&] { return ReadAll(m_decoder.Info(), m_rowPointers.data(), count); });
}

bool CJpegBandReader::ReadFourChannelRows(uint8_t* rows, size_t stride, JDIMENSION count) {
    const size_t fourChannelStride = size_t{Width()} * 4;
    m_fourChannelRows.resize(fourChannelStride * count);
    m_rowPointers.resize(count);
    for (JDIMENSION i = 0; i < count; ++i) {
        m_rowPointers[i] = m_fourChannelRows.data() + i * fourChannelStride;
    }
    if (!m_decoder.Run([&] { return ReadAll(m_decoder.Info(), m_rowPointers.data(), count); })) {
        return false;
    }
    const bool inverted = m_decoder.Info().saw_Adobe_marker != FALSE;
    for (JDIMENSION i = 0; i < count; ++i) {
        ConvertFourChannelRow(m_rowPointers[i], rows + i * stride, Width(), inverted);
    }
    return true;
}

bool CJpegBandReader::Finish() {
    return m_decoder.Run([&] { return jpeg_finish_decompress(&m_decoder.Info()) != FALSE; });
}

int CJpegBandReader::FileComponents() const {
    const jpeg_decompress_struct& info = m_decoder.Info();
    if (IsFourChannel(info)) {
        return 4;
    }
    return info.jpeg_color_space == JCS_GRAYSCALE ? 1 : 3;
}

const char* CJpegBandReader::Reason() const {
    return *m_decoder.Reason() != '\0' ? m_decoder.Reason() : "the decoder stopped";
}
