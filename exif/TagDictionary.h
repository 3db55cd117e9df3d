// The Exif tag dictionary: names and explanations of the tags, read from a
// code page 932 list file, and a data column that the last decode filled.
#pragma once

#include <string>
#include <vector>

struct CExifTagEntry {
    std::string m_strTag;
    std::string m_strName;
    std::string m_strDetail;
    std::string m_strData;
};

class CTagDictionary {
public:
    // Empties the dictionary and reads path ("tag,name,detail" lines; the
    // detail keeps any further commas). A missing file is created empty.
    void Load(const std::string& path);

    // The first entry with this tag: true with its name and detail, or false
    // with "不明なﾀｸﾞ" and "情報がありません".
    bool LookupName(const std::string& tag, std::string& name, std::string& detail) const;
    // True with the first entry's data, or false with "情報がありません".
    bool LookupData(const std::string& tag, std::string& data) const;
    // True when an entry with this tag exists and its data was set.
    bool SetData(const std::string& tag, const std::string& value);
    void ClearData();

    const std::vector<CExifTagEntry>& Entries() const { return m_entries; }

private:
    // The index of the first entry with this tag; the entry count when none has it.
    size_t FindIndex(const std::string& tag) const;

    std::vector<CExifTagEntry> m_entries;
};
