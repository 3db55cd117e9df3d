#include "exif/TagDictionary.h"

#include <algorithm>
#include <optional>

#include "util/ListFile.h"

namespace {

constexpr char kUnknownTagName[] = "不明なﾀｸﾞ";
constexpr char kNoInformation[] = "情報がありません";

// "tag,name,detail": the detail keeps any further commas. Nothing for a line
// with fewer than two commas.
std::optional<CExifTagEntry> ParseEntryLine(const std::string& line) {
    const size_t firstComma = line.find(',');
    if (firstComma == std::string::npos) {
        return std::nullopt;
    }
    const size_t secondComma = line.find(',', firstComma + 1);
    if (secondComma == std::string::npos) {
        return std::nullopt;
    }
    CExifTagEntry entry;
    entry.m_strTag = line.substr(0, firstComma);
    entry.m_strName = line.substr(firstComma + 1, secondComma - firstComma - 1);
    entry.m_strDetail = line.substr(secondComma + 1);
    return entry;
}

}  // namespace

void CTagDictionary::Load(const std::string& path) {
    m_entries.clear();
    const std::optional<std::vector<std::string>> lines = ReadListFile(path, true);
    if (!lines) {
        return;
    }
    for (const std::string& line : *lines) {
        if (std::optional<CExifTagEntry> entry = ParseEntryLine(line)) {
            m_entries.push_back(std::move(*entry));
        }
    }
}

bool CTagDictionary::LookupName(const std::string& tag, std::string& name,
                                std::string& detail) const {
    const size_t index = FindIndex(tag);
    const bool found = index < m_entries.size();
    name = found ? m_entries[index].m_strName : kUnknownTagName;
    detail = found ? m_entries[index].m_strDetail : kNoInformation;
    return found;
}

bool CTagDictionary::LookupData(const std::string& tag, std::string& data) const {
    const size_t index = FindIndex(tag);
    const bool found = index < m_entries.size();
    data = found ? m_entries[index].m_strData : kNoInformation;
    return found;
}

bool CTagDictionary::SetData(const std::string& tag, const std::string& value) {
    const size_t index = FindIndex(tag);
    if (index >= m_entries.size()) {
        return false;
    }
    m_entries[index].m_strData = value;
    return true;
}

void CTagDictionary::ClearData() {
    for (CExifTagEntry& entry : m_entries) {
        entry.m_strData.clear();
    }
}

size_t CTagDictionary::FindIndex(const std::string& tag) const {
    const auto entry = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&tag](const CExifTagEntry& e) { return e.m_strTag == tag; });
    return static_cast<size_t>(entry - m_entries.begin());
}
