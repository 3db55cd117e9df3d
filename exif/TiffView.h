// The bytes of a TIFF structure (the body of an Exif block or an MPF index)
// read in the byte order its header names: "II" little-endian, anything else
// big-endian. The reads are those of CByteReader, bounds-checked.
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/ByteReader.h"

class CTiffView : public CByteReader {
public:
    CTiffView(const uint8_t* data, size_t length)
        : CByteReader(data, length, OrderOfHeader(data, length)) {}

    bool IsIntel() const { return Order() == EByteOrder::LittleEndian; }

private:
    static EByteOrder OrderOfHeader(const uint8_t* data, size_t length) {
        return length >= 2 && data[0] == 'I' && data[1] == 'I' ? EByteOrder::LittleEndian
                                                               : EByteOrder::BigEndian;
    }
};
