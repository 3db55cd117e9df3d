// The libjpeg decompressor every decode of the codec runs, under the codec's
// error trap and with the limits that keep a hostile file from costing what a
// real picture never does. Only the codec's own files include this header: it
// brings in jpeglib.h.
#pragma once

#include <cstdint>

#include "imaging/JpegErrorTrap.h"

// Larger pictures are refused before anything is allocated for them: a
// header can claim 65500 x 65500 pixels in a few bytes.
inline constexpr int64_t kMaxPictureBytes = int64_t{1} << 30;

// A decompressor whose decode fails after 1000 scans: real progressive files
// have about ten, and thousands of tiny scans are a way of making one small
// file cost minutes of decoding.
class CDecompressor {
public:
    CDecompressor();
    ~CDecompressor() { jpeg_destroy_decompress(&m_info); }
    CDecompressor(const CDecompressor&) = delete;
    CDecompressor& operator=(const CDecompressor&) = delete;

    // Under the error trap only.
    void Create() {
        jpeg_create_decompress(&m_info);
        m_info.progress = &m_progress;
    }
    template <typename Step>
    bool Run(Step&& step) {
        return RunUnderErrorTrap(m_trap, step);
    }
    jpeg_decompress_struct& Info() { return m_info; }
    const jpeg_decompress_struct& Info() const { return m_info; }
    int Warnings() const { return m_trap.warnings; }
    // Why the last failed step failed.
    const char* Reason() const { return m_trap.reason; }

private:
    CJpegErrorTrap m_trap;
    jpeg_progress_mgr m_progress{};
    jpeg_decompress_struct m_info{};
};
