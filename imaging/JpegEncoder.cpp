#include "imaging/JpegEncoder.h"

#include <algorithm>
#include <new>

#include "imaging/JpegErrorTrap.h"

namespace {

constexpr JDIMENSION kRowsPerWrite = 16;
constexpr int kEncodeQuality = 75;
constexpr size_t kMinEncodeBuffer = 4096;

// libjpeg output into a vector that grows as needed.
struct CVectorDestination {
    jpeg_destination_mgr manager{};
    std::vector<uint8_t>* bytes = nullptr;
};

CVectorDestination& DestinationOf(j_compress_ptr info) {
    return *reinterpret_cast<CVectorDestination*>(info->dest);
}

void ExposeFreeSpace(CVectorDestination& destination, size_t used) {
    destination.manager.next_output_byte = destination.bytes->data() + used;
    destination.manager.free_in_buffer = destination.bytes->size() - used;
}

void StartOutput(j_compress_ptr info) {
    ExposeFreeSpace(DestinationOf(info), 0);
}

// Called with the whole buffer full. An exception must not cross libjpeg, so
// a failed growth becomes libjpeg's own out-of-memory failure.
boolean GrowOutput(j_compress_ptr info) {
    CVectorDestination& destination = DestinationOf(info);
    const size_t used = destination.bytes->size();
    bool grown = true;
    try {
        destination.bytes->resize(used * 2);
    } catch (const std::bad_alloc&) {
        grown = false;
    }
    if (!grown) {
        JumpToErrorTrap(reinterpret_cast<j_common_ptr>(info));
    }
    ExposeFreeSpace(destination, used);
    return TRUE;
}

void FinishOutput(j_compress_ptr info) {
    CVectorDestination& destination = DestinationOf(info);
    destination.bytes->resize(destination.bytes->size() - destination.manager.free_in_buffer);
}

class CCompressor {
public:
    explicit CCompressor(std::vector<uint8_t>& output) {
        InstallErrorTrap(reinterpret_cast<j_common_ptr>(&m_info), m_trap);
        m_destination.bytes = &output;
        m_destination.manager.init_destination = StartOutput;
        m_destination.manager.empty_output_buffer = GrowOutput;
        m_destination.manager.term_destination = FinishOutput;
    }
    ~CCompressor() { jpeg_destroy_compress(&m_info); }
    CCompressor(const CCompressor&) = delete;
    CCompressor& operator=(const CCompressor&) = delete;

    // Inside the trap only.
    void Create() {
        jpeg_create_compress(&m_info);
        m_info.dest = &m_destination.manager;
    }
    template <typename Step>
    bool Run(Step&& step) {
        return RunUnderErrorTrap(m_trap, step);
    }
    jpeg_compress_struct& Info() { return m_info; }

private:
    CJpegErrorTrap m_trap;
    CVectorDestination m_destination;
    jpeg_compress_struct m_info{};
};

// An own-form picture whose bits hold every row it claims, and that libjpeg
// can take.
bool IsEncodable(const CImageBuffer& image) {
    if (image.IsPluginForm() || image.m_nWidth < 1 || image.m_nHeight < 1 ||
        image.m_nWidth > JPEG_MAX_DIMENSION || image.m_nHeight > JPEG_MAX_DIMENSION ||
        image.m_nPadBytes < 0) {
        return false;
    }
    const int64_t stride = int64_t{image.m_nWidth} * 3 + image.m_nPadBytes;
    return stride * image.m_nHeight <= static_cast<int64_t>(image.m_pBits.size());
}

// Inside the trap only.
void WriteAllRows(jpeg_compress_struct& info, const CImageBuffer& image) {
    const size_t stride = size_t(image.m_nWidth) * 3 + size_t(image.m_nPadBytes);
    // libjpeg only reads the rows, but its row type is not const.
    uint8_t* bits = const_cast<uint8_t*>(image.m_pBits.data());
    JSAMPROW rows[kRowsPerWrite];
    while (info.next_scanline < info.image_height) {
        const JDIMENSION first = info.next_scanline;
        const JDIMENSION count = std::min(kRowsPerWrite, info.image_height - first);
        for (JDIMENSION i = 0; i < count; ++i) {
            rows[i] = bits + (first + i) * stride;
        }
        jpeg_write_scanlines(&info, rows, count);
    }
}

// Inside the trap only.
void Encode(CCompressor& encoder, const CImageBuffer& image) {
    jpeg_compress_struct& info = encoder.Info();
    encoder.Create();
    info.image_width = static_cast<JDIMENSION>(image.m_nWidth);
    info.image_height = static_cast<JDIMENSION>(image.m_nHeight);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kEncodeQuality, TRUE);
    info.write_JFIF_header = FALSE;
    jpeg_start_compress(&info, TRUE);
    WriteAllRows(info, image);
    jpeg_finish_compress(&info);
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodeJpegToMemory(const CImageBuffer& image) {
    if (!IsEncodable(image)) {
        return std::nullopt;
    }
    try {
        std::vector<uint8_t> output(std::max(kMinEncodeBuffer, image.m_pBits.size() / 4));
        CCompressor encoder(output);
        const bool encoded = encoder.Run([&] {
            Encode(encoder, image);
            return true;
        });
        if (!encoded) {
            return std::nullopt;
        }
        return output;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
