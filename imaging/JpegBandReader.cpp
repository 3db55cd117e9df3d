#include "imaging/JpegBandReader.h"

#include <jerror.h>
#include <jpegint.h>

#include <algorithm>
#include <utility>

namespace {

bool IsFourChannel(const jpeg_decompress_struct& info) {
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

// The second piece once the first is read, then what the library's memory
// source gives past the end of its bytes: a warning and an end marker.
boolean FillFromSecondPiece(j_decompress_ptr info) {
    auto* pieces = reinterpret_cast<CTwoPieceSource*>(info->src);
    if (pieces->more != nullptr && pieces->moreLength > 0) {
        pieces->manager.next_input_byte = pieces->more;
        pieces->manager.bytes_in_buffer = pieces->moreLength;
        pieces->more = nullptr;
        return TRUE;
    }
    static const JOCTET kEnd[] = {0xFF, JPEG_EOI};
    WARNMS(info, JWRN_JPEG_EOF);
    pieces->manager.next_input_byte = kEnd;
    pieces->manager.bytes_in_buffer = sizeof kEnd;
    return TRUE;
}

void SkipInPieces(j_decompress_ptr info, long count) {
    jpeg_source_mgr& source = *info->src;
    while (count > 0 && static_cast<size_t>(count) > source.bytes_in_buffer) {
        count -= static_cast<long>(source.bytes_in_buffer);
        FillFromSecondPiece(info);
    }
    if (count > 0) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= static_cast<size_t>(count);
    }
}

void NothingToDo(j_decompress_ptr) {}

// Under the error trap only.
void AttachInput(j_decompress_ptr info, const CJpegInput& input, CTwoPieceSource& pieces) {
    if (input.file != nullptr) {
        jpeg_stdio_src(info, input.file);
    } else if (input.more == nullptr) {
        jpeg_mem_src(info, input.bytes, input.length);
    } else {
        pieces.manager.init_source = NothingToDo;
        pieces.manager.fill_input_buffer = FillFromSecondPiece;
        pieces.manager.skip_input_data = SkipInPieces;
        pieces.manager.resync_to_restart = jpeg_resync_to_restart;
        pieces.manager.term_source = NothingToDo;
        pieces.manager.next_input_byte = input.bytes;
        pieces.manager.bytes_in_buffer = input.length;
        pieces.more = input.more;
        pieces.moreLength = input.moreLength;
        info->src = &pieces.manager;
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
        AttachInput(&info, input, m_pieces);
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

bool CJpegBandReader::SkipRows(JDIMENSION count) {
    count = std::min(count, Height() - NextRow());
    return m_decoder.Run([&] { return jpeg_skip_scanlines(&m_decoder.Info(), count) == count; });
}

// The library skips a file of one Huffman-coded scan by decoding only the
// data of the rows of blocks it passes, which is where every warning of a
// decode comes from. Its upsampling picks up again from kept rows of blocks,
// and only the layouts whose rows after a skip were compared with a whole
// decode are trusted: every component 1x1 (grey, colour unsampled, CMYK), or
// colour whose luminance is 2x1 or 2x2 with the colour components 1x1. Their
// rows of MCUs are 8 or 16 rows high.
bool CJpegBandReader::SkipsExactly() const {
    const jpeg_decompress_struct& info = m_decoder.Info();
    if (m_bMultipleScans || info.arith_code || info.buffered_image ||
        info.output_width != info.image_width || !info.do_fancy_upsampling) {
        return false;
    }
    const auto factors = [&info](int index) {
        return std::pair(info.comp_info[index].h_samp_factor, info.comp_info[index].v_samp_factor);
    };
    bool unsampled = true;
    for (int index = 0; index < info.num_components; ++index) {
        unsampled = unsampled && factors(index) == std::pair(1, 1);
    }
    if (unsampled) {
        return true;
    }
    const bool luminanceSampled = factors(0) == std::pair(2, 1) || factors(0) == std::pair(2, 2);
    return info.num_components == 3 && luminanceSampled && factors(1) == std::pair(1, 1) &&
           factors(2) == std::pair(1, 1);
}

// The marker reader's state is the library's own, offered to applications
// to read.
bool CJpegBandReader::HoldsSteppedOverBytes() const {
    const jpeg_decompress_struct& info = m_decoder.Info();
    return info.marker != nullptr && info.marker->discarded_bytes != 0;
}

JDIMENSION CJpegBandReader::McuRowHeight() const {
    return static_cast<JDIMENSION>(m_decoder.Info().max_v_samp_factor * DCTSIZE);
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
