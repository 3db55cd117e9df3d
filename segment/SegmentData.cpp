#include "segment/SegmentData.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "hexcodec/Cipher.h"

namespace {

// Bytes turned into text at once when a view is written piece by piece.
constexpr size_t kConvertChunk = 32 * 1024;

}  // namespace

CSegmentData CSegmentData::OfBytes(std::shared_ptr<const ByteVector> file, size_t offset,
                                   size_t length) {
    if (offset > file->size() || length > file->size() - offset ||
        offset + length > std::numeric_limits<uint32_t>::max()) {
        throw std::out_of_range("segment data outside its file");
    }
    CSegmentData data;
    data.m_data =
        CByteView{std::move(file), static_cast<uint32_t>(offset), static_cast<uint32_t>(length)};
    return data;
}

size_t CSegmentData::size() const {
    if (const auto* view = std::get_if<CByteView>(&m_data)) {
        return 2 * size_t{view->length};
    }
    return std::get<std::string>(m_data).size();
}

std::string CSegmentData::substr(size_t pos, size_t count) const {
    if (const auto* text = std::get_if<std::string>(&m_data)) {
        return text->substr(pos, count);
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
    if (const auto* text = std::get_if<std::string>(&m_data)) {
        return *text;
    }
    std::string text;
    AppendTextTo(text, 0, size());
    return text;
}

std::optional<std::span<const uint8_t>> CSegmentData::Bytes() const {
    const auto* view = std::get_if<CByteView>(&m_data);
    if (view == nullptr) {
        return std::nullopt;
    }
    return std::span<const uint8_t>(view->Begin(), view->length);
}

void CSegmentData::AppendTextTo(std::string& text, size_t pos, size_t count) const {
    const auto* view = std::get_if<CByteView>(&m_data);
    if (view == nullptr) {
        text.append(std::get<std::string>(m_data), pos, count);
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
        cipher.Bin2CharHex(chunk.data(), view->Begin() + byte, static_cast<int>(bytes));
        const size_t first = std::max(pos, 2 * byte) - 2 * byte;
        const size_t last = std::min(end, 2 * (byte + bytes)) - 2 * byte;
        text.append(chunk, first, last - first);
        byte += bytes;
    }
}

bool CSegmentData::operator==(const CSegmentData& other) const {
    const auto* view = std::get_if<CByteView>(&m_data);
    const auto* otherView = std::get_if<CByteView>(&other.m_data);
    if (view != nullptr && otherView != nullptr) {
        return std::equal(view->Begin(), view->Begin() + view->length, otherView->Begin(),
                          otherView->Begin() + otherView->length);
    }
    return size() == other.size() && Text() == other.Text();
}

std::string operator+(std::string text, const CSegmentData& data) {
    data.AppendTextTo(text, 0, data.size());
    return text;
}
