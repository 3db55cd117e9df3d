#include "cli/OptimiseRecord.h"

#include <QJsonArray>
#include <cstdio>

#include "cli/JsonLine.h"

namespace {

QJsonValue PathOrNull(const std::string& path) {
    return path.empty() ? QJsonValue() : QJsonValue(JsonFileName(path));
}

QJsonValue TextOrNull(const std::string& text) {
    return text.empty() ? QJsonValue() : QJsonValue(JsonText(text));
}

QJsonValue Marker(uint16_t marker) {
    if (marker == 0) {
        return QJsonValue();
    }
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(marker));
    return QString::fromLatin1(text);
}

QJsonArray Removed(const std::vector<CRemovedSegment>& removed) {
    QJsonArray pieces;
    for (const CRemovedSegment& piece : removed) {
        QJsonObject object{{"marker", Marker(piece.m_nMarker)},
                           {"offset", static_cast<qint64>(piece.m_nOffset)},
                           {"bytes", static_cast<qint64>(piece.m_nBytes)}};
        if (!piece.m_strKind.empty()) {
            object["kind"] = JsonText(piece.m_strKind);
        }
        pieces.append(object);
    }
    return pieces;
}

QJsonValue Pixels(const std::optional<CPixelProof>& pixels) {
    if (!pixels) {
        return QJsonValue();
    }
    return QJsonObject{{"width", pixels->m_nWidth},
                       {"height", pixels->m_nHeight},
                       {"components", pixels->m_nComponents},
                       {"sha256_before", TextOrNull(pixels->m_strSha256Before)},
                       {"sha256_after", TextOrNull(pixels->m_strSha256After)}};
}

}  // namespace

QJsonObject OptimiseRecord(const CFileResult& result) {
    const bool written = !result.m_strOutput.empty();
    QJsonObject record{
        {"file", JsonFileName(result.m_strInput)},
        {"outcome", QString::fromLatin1(OutcomeName(result.m_eOutcome))},
        {"output", PathOrNull(result.m_strOutput)},
        {"bytes_before", static_cast<qint64>(result.m_nInputBytes)},
        {"bytes_after",
         written ? QJsonValue(static_cast<qint64>(result.m_nOutputBytes)) : QJsonValue()},
        {"removed", Removed(result.m_removed)},
        {"exif_backup", PathOrNull(result.m_strExifBackup)},
        {"check", QString::fromLatin1(CheckName(result.m_eCheck))},
        {"pixels", Pixels(result.m_pixels)},
        {"reason", result.Succeeded() ? QJsonValue() : TextOrNull(result.m_strReason)},
        {"ms", static_cast<qint64>(result.m_nMilliseconds)},
    };
    if (result.m_bDryRun) {
        record["dry_run"] = true;
    }
    return record;
}
