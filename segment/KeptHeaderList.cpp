#include "segment/KeptHeaderList.h"

#include <algorithm>
#include <utility>

#include "util/ListFile.h"
#include "util/TextHelpers.h"

namespace {

std::vector<CKeptHeaderRow> ReadRows(const std::string& path) {
    const auto lines = ReadListFile(path, true);
    return lines ? ParseKeptHeaderRows(*lines) : std::vector<CKeptHeaderRow>{};
}

bool WriteRows(const std::string& path, const std::vector<CKeptHeaderRow>& rows) {
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const CKeptHeaderRow& row : rows) {
        lines.push_back(row.m_strCode + "," + row.m_strDescription);
    }
    return WriteListFile(path, lines);
}

}  // namespace

void CKeptHeaderList::Load(const std::string& path) {
    m_rows = ReadRows(path);
}

bool CKeptHeaderList::Save(const std::string& path) const {
    return WriteRows(path, m_rows);
}

bool CKeptHeaderList::ResetToDefaults(const std::string& path) {
    const bool written = WriteRows(path, DefaultKeptHeaderRows());
    Load(path);
    return written;
}

bool CKeptHeaderList::AddRow(const std::string& code, const std::string& description) {
    if (HasCode(code)) {
        return false;
    }
    m_rows.insert(m_rows.begin(), CKeptHeaderRow{code, description});
    return true;
}

bool CKeptHeaderList::ChangeRow(int index, const std::string& code,
                                const std::string& description) {
    if (!IsValidIndex(index)) {
        return false;
    }
    CKeptHeaderRow& row = m_rows[static_cast<size_t>(index)];
    if (code != row.m_strCode && HasCode(code)) {
        return false;
    }
    row = CKeptHeaderRow{code, description};
    return true;
}

bool CKeptHeaderList::DeleteRow(int index) {
    if (!IsValidIndex(index)) {
        return false;
    }
    m_rows.erase(m_rows.begin() + index);
    return true;
}

bool CKeptHeaderList::HasCode(const std::string& code) const {
    return std::any_of(m_rows.begin(), m_rows.end(),
                       [&code](const CKeptHeaderRow& row) { return row.m_strCode == code; });
}

bool CKeptHeaderList::IsValidIndex(int index) const {
    return index >= 0 && static_cast<size_t>(index) < m_rows.size();
}

std::vector<CKeptHeaderRow> ParseKeptHeaderRows(const std::vector<std::string>& lines) {
    std::vector<CKeptHeaderRow> rows;
    for (const std::string& line : lines) {
        CKeptHeaderRow row;
        if (SplitAtFirstComma(line, row.m_strCode, row.m_strDescription)) {
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

std::vector<std::string> LoadKeptHeaderCodes(const std::string& path) {
    std::vector<std::string> codes;
    for (CKeptHeaderRow& row : ReadRows(path)) {
        codes.push_back(std::move(row.m_strCode));
    }
    return codes;
}

const std::vector<CKeptHeaderRow>& DefaultKeptHeaderRows() {
    static const std::vector<CKeptHeaderRow> rows = {
        {"FF00", "JPGﾃﾞｰﾀ"},       {"FF01", "算術符号"},        {"FFC0", "ﾊﾌﾏﾝﾍﾞｰｽﾗｲﾝ"},
        {"FFC1", "ﾊﾌﾏﾝｼｰｹﾝｼｬﾙ"},   {"FFC2", "ﾊﾌﾏﾝﾌﾟﾛｸﾞﾚｯｼﾌﾞ"},  {"FFC3", "ﾊﾌﾏﾝDPCM"},
        {"FFC4", "ﾊﾌﾏﾝﾃｰﾌﾞﾙ定義"}, {"FFC5", "ﾊﾌﾏﾝ差分ｼｰｹﾝｼｬﾙ"}, {"FFC6", "ﾊﾌﾏﾝ差分ﾌﾟﾛｸﾞﾚｯｼﾌﾞ"},
        {"FFC7", "ﾊﾌﾏﾝ差分"},      {"FFC8", "予備ﾃﾞｰﾀ"},        {"FFC9", "算術符号"},
        {"FFCA", "算術符号"},      {"FFCB", "ﾊﾌﾏﾝDPCM"},        {"FFCC", "算術符号"},
        {"FFCD", "算術符号"},      {"FFCE", "算術符号"},        {"FFCF", "算術符号"},
        {"FFD0", "ﾃﾞｰﾀ再開"},      {"FFD1", "ﾃﾞｰﾀ再開"},        {"FFD2", "ﾃﾞｰﾀ再開"},
        {"FFD3", "ﾃﾞｰﾀ再開"},      {"FFD4", "ﾃﾞｰﾀ再開"},        {"FFD5", "ﾃﾞｰﾀ再開"},
        {"FFD6", "ﾃﾞｰﾀ再開"},      {"FFD7", "ﾃﾞｰﾀ再開"},        {"FFD8", "JPGｲﾒｰｼﾞ開始"},
        {"FFD9", "JPGｲﾒｰｼﾞ終了"},  {"FFDA", "読み取り開始"},    {"FFDB", "量子化ﾃｰﾌﾞﾙ"},
        {"FFDC", "ﾗｲﾝ数"},         {"FFDD", "ﾃﾞｰﾀ再開間隔"},    {"FFDE", "ﾊｲｱﾗｰｷｶﾙ"},
        {"FFDF", "拡張ﾃﾞｰﾀ"},
    };
    return rows;
}

std::vector<std::string> DefaultKeptHeaderCodes() {
    std::vector<std::string> codes;
    for (const CKeptHeaderRow& row : DefaultKeptHeaderRows()) {
        codes.push_back(row.m_strCode);
    }
    return codes;
}
