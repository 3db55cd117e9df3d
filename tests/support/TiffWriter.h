// Small TIFF structures as they lie inside an Exif block, built by the tests:
// IFD0, an Exif IFD and an Interoperability IFD, in either byte order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class EByteOrder { Intel, Motorola };
enum class EIfd { Ifd0, Exif, Interop };

class CTiffWriter {
public:
    explicit CTiffWriter(EByteOrder order) : m_order(order) {}

    // ASCII with its terminating zero.
    CTiffWriter& Ascii(EIfd ifd, uint16_t tag, const std::string& text);
    CTiffWriter& Short(EIfd ifd, uint16_t tag, uint16_t value);
    CTiffWriter& Long(EIfd ifd, uint16_t tag, uint32_t value);
    CTiffWriter& Rational(EIfd ifd, uint16_t tag, uint32_t numerator, uint32_t denominator);
    CTiffWriter& SignedRational(EIfd ifd, uint16_t tag, int32_t numerator, int32_t denominator);
    // Any type and count, with the value's bytes exactly as they lie in the
    // file: up to four in the entry itself, more at an offset.
    CTiffWriter& Entry(EIfd ifd, uint16_t tag, uint16_t type, uint32_t count,
                       const std::vector<uint8_t>& valueBytes);

    // The structure from its header on. IFD0 gets an 8769 entry when a later
    // directory has entries, and the Exif IFD an A005 entry when the
    // Interoperability IFD has; each goes before the directory's own entries.
    std::vector<uint8_t> Build() const;

private:
    struct CEntry {
        uint16_t tag;
        uint16_t type;
        uint32_t count;
        std::vector<uint8_t> valueBytes;
    };

    std::vector<uint8_t> Number(uint32_t value, int size) const;
    std::vector<CEntry> DirectoryWithPointers(EIfd ifd, uint32_t exifOffset,
                                              uint32_t interopOffset) const;
    // Appends the directory and collects the values longer than four bytes,
    // which will start at valuesStart.
    void AppendDirectory(std::vector<uint8_t>& out, const std::vector<CEntry>& entries,
                         uint32_t valuesStart, std::vector<uint8_t>& values) const;

    EByteOrder m_order;
    std::vector<CEntry> m_directories[3];
};
