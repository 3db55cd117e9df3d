// Drives the list-file readers over arbitrary bytes: code page 932 decoding,
// line splitting, the kept-header rows and the printable form of hex data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "segment/KeptHeaderList.h"
#include "util/ListFile.h"
#include "util/TextHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = ParseListLines(bytes);
    for (const CKeptHeaderRow& row : ParseKeptHeaderRows(lines)) {
        HexToDisplayText(row.m_strCode);
        Utf8ToCp932(row.m_strDescription);
    }
    for (const std::string& line : lines) {
        std::string code;
        std::string rest;
        SplitAtFirstComma(line, code, rest);
        HexToDisplayText(line);
    }
    HexToDisplayText(bytes);
    return 0;
}
