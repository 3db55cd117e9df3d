#include "cli/ReadableExifOutput.h"

#include <QJsonObject>
#include <QJsonValue>
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/JsonLine.h"
#include "exif/TagDictionary.h"

namespace {

std::string TagText(uint16_t tag) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", tag);
    return text;
}

QJsonValue NumberOrNull(double number) {
    return std::isfinite(number) ? QJsonValue(number) : QJsonValue();
}

QJsonValue JsonValue(const CReadableExifEntry& entry) {
    switch (entry.m_kind) {
        case EReadableKind::Text:
            return JsonText(entry.m_strJson);
        case EReadableKind::Numbers: {
            if (entry.m_numbers.size() == 1) {
                return NumberOrNull(entry.m_numbers.front());
            }
            QJsonArray numbers;
            for (const double number : entry.m_numbers) {
                numbers.append(NumberOrNull(number));
            }
            return numbers;
        }
        case EReadableKind::Omitted:
            return QJsonValue();
    }
    return QJsonValue();
}

}  // namespace

void PrintReadableLines(const std::vector<CReadableExifEntry>& entries,
                        const CTagDictionary& dictionary) {
    for (const CReadableExifEntry& entry : entries) {
        const std::string tag = TagText(entry.m_nTag);
        std::string name;
        std::string detail;
        dictionary.LookupName(tag, name, detail);
        std::printf("%s\t%s\t%s\n", tag.c_str(), name.c_str(), entry.m_strText.c_str());
    }
}

QJsonArray ReadableJsonTags(const std::vector<CReadableExifEntry>& entries,
                            const CTagDictionary& dictionary) {
    QJsonArray tags;
    for (const CReadableExifEntry& entry : entries) {
        const std::string tag = TagText(entry.m_nTag);
        std::string name;
        std::string detail;
        const bool known = dictionary.LookupName(tag, name, detail);
        tags.append(QJsonObject{
            {"ifd", DirectoryName(entry.m_directory)},
            {"tag", JsonText(tag)},
            {"name", known ? QJsonValue(JsonText(name)) : QJsonValue()},
            {"type", TypeName(entry.m_nType)},
            {"count", static_cast<qint64>(entry.m_nCount)},
            {"value", JsonValue(entry)},
            {"text", JsonText(entry.m_strText)},
        });
    }
    return tags;
}
