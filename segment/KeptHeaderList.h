// The kept-header list: marker codes that the optimisation never removes and
// the expert editor treats as protected, each with a description. Stored as
// "code,description" lines in a code page 932 list file. CKeptHeaderList holds
// the rows its dialog edits; the application itself only needs the codes.
#pragma once

#include <string>
#include <vector>

struct CKeptHeaderRow {
    std::string m_strCode;
    std::string m_strDescription;

    bool operator==(const CKeptHeaderRow&) const = default;
};

class CKeptHeaderList {
public:
    // Replaces the rows by the file's; the file is created empty when missing.
    // A file that can be neither read nor created leaves no rows.
    void Load(const std::string& path);

    // Creates the file anew with every row; false when it cannot be created.
    bool Save(const std::string& path) const;

    // Writes the default catalogue to the file and loads it again; false when
    // the file cannot be created (the rows are then whatever the file holds).
    bool ResetToDefaults(const std::string& path);

    // Inserts the row at the top; false, and nothing added, when a row with
    // this code exists. Codes compare exactly: "ffe0" is not "FFE0".
    bool AddRow(const std::string& code, const std::string& description);

    // Replaces the row at index. Refused (false) when index is out of range, or
    // when the code is new to this row and some row already has it.
    bool ChangeRow(int index, const std::string& code, const std::string& description);

    // False when index is out of range.
    bool DeleteRow(int index);

    const std::vector<CKeptHeaderRow>& Rows() const { return m_rows; }

private:
    bool HasCode(const std::string& code) const;
    bool IsValidIndex(int index) const;

    std::vector<CKeptHeaderRow> m_rows;
};

// The rows of a list file's lines, in order. A line is split at its first
// comma; lines without a code before a comma are skipped.
std::vector<CKeptHeaderRow> ParseKeptHeaderRows(const std::vector<std::string>& lines);

// The application's kept list: only the codes, in file order. The file is
// created empty when missing; no codes when it can be neither read nor created.
std::vector<std::string> LoadKeptHeaderCodes(const std::string& path);

// The 34 rows of the marker catalogue that a reset writes, in file order.
const std::vector<CKeptHeaderRow>& DefaultKeptHeaderRows();
// Only their codes, as the kept list holds them after a reset.
std::vector<std::string> DefaultKeptHeaderCodes();
