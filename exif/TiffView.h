// The bytes of a TIFF structure (the body of an Exif block) read in its own
// byte order. Every read first checks, in 64-bit arithmetic, that the field
// lies wholly inside; a field that does not reads as nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

class CTiffView {
public:
    CTiffView(const uint8_t* data, size_t length)
        : m_data(data),
          m_length(static_cast<int64_t>(length)),
          m_bIntel(length >= 2 && data[0] == 'I' && data[1] == 'I') {}

    bool Holds(int64_t position, int64_t size) const {
        return position >= 0 && size >= 0 && size <= m_length && position <= m_length - size;
    }

    // The first size (0 to 4) bytes at position as one number in the byte order.
    std::optional<uint32_t> ReadNumber(int64_t position, int64_t size) const {
        if (!Holds(position, size)) {
            return std::nullopt;
        }
        uint32_t value = 0;
        for (int64_t i = 0; i < size; ++i) {
            const int64_t byte = m_bIntel ? position + size - 1 - i : position + i;
            value = (value << 8) | m_data[byte];
        }
        return value;
    }

    std::optional<int32_t> ReadInt32(int64_t position) const {
        const std::optional<uint32_t> value = ReadNumber(position, 4);
        return value ? std::optional<int32_t>(static_cast<int32_t>(*value)) : std::nullopt;
    }

    bool IsIntel() const { return m_bIntel; }

    // Valid only where Holds(position, size) was true.
    const uint8_t* At(int64_t position) const { return m_data + position; }

private:
    const uint8_t* m_data;
    int64_t m_length;
    bool m_bIntel;
};
