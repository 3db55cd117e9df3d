#include "segment/SegmentData.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "hexcodec/Cipher.h"

namespace {

// Bytes turned into text at once when a view is written piece by piece.
constexpr size_t kConvertChunk = 32 * 1024;

static_assert(sizeof(CSegmentData) <= 24, "a scan holds millions of these records");

}  // namespace

CSegmentData::CSegmentData(std::string text) {
    if (!text.empty()) {
        m_owner = std::make_shared<const std::string>(std::move(text));
    }
}

CSegmentData CSegmentData::OfBytes(std::shared_ptr<const ByteVector> file, size_t offset,
                                   size_t length) {
    const uint8_t* bytes = file->data();
    const size_t size = file->size();
    return OfBytes(std::shared_ptr<const uint8_t>(std::move(file), bytes), size, offset, length);
}

CSegmentData CSegmentData::OfBytes(std::shared_ptr<const uint8_t> bytes, size_t size, size_t offset,
                                   size_t length) {
    if (offset > size || length > size - offset || offset + length >= kText) {
        throw std::out_of_range("segment data outside its file");
    }
    CSegmentData data;
    data.m_owner = std::move(bytes);
    data.m_nOffset = static_cast<uint32_t>(offset);
    data.m_nLength = static_cast<uint32_t>(length);
    return data;
}

const std::string& CSegmentData::TextHeld() const {
    static const std::string kEmpty;
    return m_owner ? *static_cast<const std::string*>(m_owner.get()) : kEmpty;
}

const uint8_t* CSegmentData::ViewBegin() const {
    return static_cast<const uint8_t*>(m_owner.get()) + m_nOffset;
}

size_t CSegmentData::size() const {
    return IsText() ? TextHeld().size() : 2 * size_t{m_nLength};
}

std::string CSegmentData::substr(size_t pos, size_t count) const {
    if (IsText()) {
        return TextHeld().substr(pos, count);
    }
    if (pos > size()) {
        throw std::out_of_range("CSegmentData::substr");
    }
    count = std::min(count, size() - pos);
    std::string piece;
    AppendTextTo(piece, pos, count);
    return piece;
}

int CSegmentData::compare(size_t pos, size_t count, std::string_view text) const {
    return substr(pos, count).compare(text);
}

std::string CSegmentData::Text() const {
    if (IsText()) {
        return TextHeld();
    }
    std::string text;
    AppendTextTo(text, 0, size());
    return text;
}

std::optional<std::span<const uint8_t>> CSegmentData::Bytes() const {
    if (IsText()) {
        return std::nullopt;
    }
    return std::span<const uint8_t>(ViewBegin(), m_nLength);
}

void CSegmentData::AppendTextTo(std::string& text, size_t pos, size_t count) const {
    if (IsText()) {
        text.append(TextHeld(), pos, count);
        return;
    }
    // Whole bytes are converted; a piece that starts or ends inside a byte
    // drops the half it does not want.
    const CCipher cipher;
    const size_t end = pos + count;
    size_t byte = pos / 2;
    const size_t endByte = (end + 1) / 2;
    std::string chunk;
    text.reserve(text.size() + count);
    while (byte < endByte) {
        const size_t bytes = std::min(kConvertChunk, endByte - byte);
        chunk.resize(2 * bytes + 1);
        cipher.Bin2CharHex(chunk.data(), ViewBegin() + byte, static_cast<int>(bytes));
        const size_t first = std::max(pos, 2 * byte) - 2 * byte;
        const size_t last = std::min(end, 2 * (byte + bytes)) - 2 * byte;
        text.append(chunk, first, last - first);
        byte += bytes;
    }
}

bool CSegmentData::operator==(const CSegmentData& other) const {
    if (!IsText() && !other.IsText()) {
        // Pieces of one scan are compared by place first: a list and its copy
        // share every byte.
        return m_nLength == other.m_nLength &&
               (ViewBegin() == other.ViewBegin() ||
                std::equal(ViewBegin(), ViewBegin() + m_nLength, other.ViewBegin()));
    }
    return size() == other.size() && Text() == other.Text();
}

std::string operator+(std::string text, const CSegmentData& data) {
    data.AppendTextTo(text, 0, data.size());
    return text;
}
