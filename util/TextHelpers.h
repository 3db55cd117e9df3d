// Conversions between numbers, hex text and readable text. Every text is a
// UTF-8 std::string; hex text is upper-case ASCII, two characters per byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// n as "%d".
std::string FormatDecimal(int n);
// x as "%.1f".
std::string FormatOneDecimal(double x);

// The leading decimal number of text after optional blanks and a sign; 0 when
// there is none. A number beyond the range of long saturates at its limit.
long ParseLong(const std::string& text);

// n in upper-case hex, padded to 4 digits. More than 4 digits (a negative n
// shows as its 32-bit pattern) shows "文字数が長すぎて対応しておりません" through
// the message sink and comes back unpadded.
std::string FormatHex4(int n);

// The printable form of hex data: one character per byte, ASCII letters and
// digits as themselves, every other byte as '.'. The result always holds
// hex.size() / 2 characters: a trailing odd character is ignored, and a pair
// that is not upper-case hex shows as '.'.
std::string HexToDisplayText(const std::string& hex);

// Upper-case hex text of the text's bytes.
std::string TextToHex(const std::string& text);

// True when every character is 0-9 or A-F (lower case fails); true when empty.
bool IsHexText(const std::string& text);

// text without its first n bytes; none when the text is shorter than n.
// A negative n leaves the text unchanged.
std::optional<std::string> DropLeft(const std::string& text, int n);

// text without its last n bytes; unchanged when shorter than n or n < 0.
std::string DropRight(const std::string& text, int n);

// Splits a list-file line "code,description" at its first comma. True when
// the part before the comma is not empty; on false first and rest are left
// as they were (no comma, empty text, or a text that starts with a comma).
bool SplitAtFirstComma(const std::string& text, std::string& first, std::string& rest);

// text without its last count characters (UTF-8 code points, so a name stays
// valid); a text with fewer characters stays whole. Output and backup names
// are the dropped path without its four-character extension.
std::string DropLastCharacters(const std::string& text, size_t count);

// The name a batch writes for a dropped file: its path without the last four
// characters, then suffix and extension ("a.jpg" gives "a_kestrin100.jpg").
std::string BatchOutputName(const std::string& dropped, const std::string& suffix,
                            const std::string& extension);

// What the batches take for a JPEG file: a name ending in "jpg" in any case.
// Output names drop the last four characters, which only ".jpg" survives
// whole; a ".jpeg" file is read only with the pixel check off (damage 1).
bool HasJpgName(const std::string& path);
