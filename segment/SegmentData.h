// The data of one marker segment as upper-case hex text. Data scanned from a
// file stays a view of the file's bytes, shared by every segment of the scan,
// and becomes text only when asked for: most of a picture is copied unchanged
// and never needs to be text, which would take twice its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "util/FileBytes.h"

class CSegmentData {
public:
    CSegmentData() = default;
    // Text as the editor and the rules of the hex file have it; any characters.
    CSegmentData(std::string text);
    CSegmentData(const char* text) : CSegmentData(std::string(text)) {}

    // length bytes of file from offset, which the caller has checked lie inside it.
    static CSegmentData OfBytes(std::shared_ptr<const ByteVector> file, size_t offset,
                                size_t length);
    // The same for the size bytes at bytes, a pointer that keeps their owner
    // (a buffer, a mapped file) alive.
    static CSegmentData OfBytes(std::shared_ptr<const uint8_t> bytes, size_t size, size_t offset,
                                size_t length);

    // Characters of the text, without making it.
    size_t size() const;
    bool empty() const { return size() == 0; }
    // The same answers as std::string's, for a view made from the bytes asked for
    // only; out of range throws std::out_of_range as std::string does.
    std::string substr(size_t pos = 0, size_t count = std::string::npos) const;
    int compare(size_t pos, size_t count, std::string_view text) const;

    // The whole text. A view builds it anew at every call: keep the result.
    std::string Text() const;
    operator std::string() const { return Text(); }

    // The bytes of a view, in place; nothing for text, which has its own
    // rules of conversion.
    std::optional<std::span<const uint8_t>> Bytes() const;
    // Appends count characters of the text from pos, for writers that need the
    // text piece by piece; pos + count must not pass size().
    void AppendTextTo(std::string& text, size_t pos, size_t count) const;

    bool operator==(const CSegmentData& other) const;

private:
    // m_nLength of text: no view is that long (no file of 4 GiB is scanned).
    static constexpr uint32_t kText = UINT32_MAX;

    bool IsText() const { return m_nLength == kText; }
    const std::string& TextHeld() const;
    const uint8_t* ViewBegin() const;

    // A scan makes a record for every stuffed byte of a picture, millions of
    // them: the record is kept to 24 bytes. The owner is the text, or points
    // at the first byte of the file a view shows; text never changes once
    // made, so copies share it, and empty text has none.
    std::shared_ptr<const void> m_owner;
    uint32_t m_nOffset = 0;
    uint32_t m_nLength = kText;
};

// Text followed by the data's text, as for two strings.
std::string operator+(std::string text, const CSegmentData& data);
