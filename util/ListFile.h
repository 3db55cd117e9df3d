// The program's list files (the kept-header list, the Exif tag dictionary) are
// code page 932 text with CR LF line ends on disk; inside the program every
// text is UTF-8. The conversion happens here and nowhere else.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Both conversions go on past input they cannot convert: an invalid byte
// sequence or a character the target cannot hold becomes one '?'.
std::string Cp932ToUtf8(const std::string& cp932);
std::string Utf8ToCp932(const std::string& utf8);

// The UTF-8 lines of a list file's bytes, split at LF with one trailing CR
// dropped. Empty lines are left out: no reader of a list file wants them.
std::vector<std::string> ParseListLines(const std::string& cp932Bytes);

// The lines of the file at path. With createIfMissing a missing file is
// created empty and yields no lines. Nothing when the file can be neither
// opened nor created. A read error after the open throws CFileException.
std::optional<std::vector<std::string>> ReadListFile(const std::string& path, bool createIfMissing);

// Creates path anew with every UTF-8 line in code page 932 followed by CR LF.
// False when the file cannot be created; a write error throws CFileException.
bool WriteListFile(const std::string& path, const std::vector<std::string>& utf8Lines);
