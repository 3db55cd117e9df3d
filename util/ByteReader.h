// Bounds-checked reads from a run of bytes read from a file, numbers in a
// byte order the caller names. Every read first checks, in 64-bit
// arithmetic, that the field lies wholly inside; a field that does not reads
// as nothing, so a hostile length or offset can only make a read fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "util/MappedFile.h"

enum class EByteOrder { BigEndian, LittleEndian };

class CByteReader {
public:
    CByteReader(const uint8_t* data, size_t size, EByteOrder order)
        : m_data(data), m_size(static_cast<int64_t>(size)), m_order(order) {}
    // The bytes of a mapped file, whose pages a reader that walks through
    // them gives back as it goes (Passed).
    CByteReader(const CMappedFile& file, EByteOrder order)
        : m_data(file.data()),
          m_size(static_cast<int64_t>(file.size())),
          m_order(order),
          m_pMapped(&file) {}

    // A reader going through the bytes from front to back is at position:
    // the pages of a mapped file before it are given back. Nothing for bytes
    // in memory.
    void Passed(int64_t position) const {
        if (m_pMapped != nullptr && Holds(0, position)) {
            m_pMapped->Release(0, static_cast<size_t>(position));
        }
    }

    int64_t Size() const { return m_size; }
    EByteOrder Order() const { return m_order; }

    bool Holds(int64_t position, int64_t size) const {
        return position >= 0 && size >= 0 && size <= m_size && position <= m_size - size;
    }

    // The size (0 to 4) bytes at position as one number in the byte order.
    std::optional<uint32_t> ReadNumber(int64_t position, int64_t size) const {
        if (size > 4 || !Holds(position, size)) {
            return std::nullopt;
        }
        uint32_t value = 0;
        for (int64_t i = 0; i < size; ++i) {
            const int64_t byte =
                m_order == EByteOrder::LittleEndian ? position + size - 1 - i : position + i;
            value = (value << 8) | m_data[byte];
        }
        return value;
    }

    std::optional<int32_t> ReadInt32(int64_t position) const {
        const std::optional<uint32_t> value = ReadNumber(position, 4);
        return value ? std::optional<int32_t>(static_cast<int32_t>(*value)) : std::nullopt;
    }

    bool Is(int64_t position, uint8_t byte) const {
        return Holds(position, 1) && m_data[position] == byte;
    }

    // The size bytes at position as characters; empty when they do not fit.
    std::string_view Text(int64_t position, int64_t size) const {
        return Holds(position, size)
                   ? std::string_view(reinterpret_cast<const char*>(m_data + position),
                                      static_cast<size_t>(size))
                   : std::string_view();
    }

    // Valid only where Holds(position, size) was true.
    const uint8_t* At(int64_t position) const { return m_data + position; }

private:
    const uint8_t* m_data;
    int64_t m_size;
    EByteOrder m_order;
    const CMappedFile* m_pMapped = nullptr;
};
