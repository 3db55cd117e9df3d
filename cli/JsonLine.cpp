#include "cli/JsonLine.h"

#include <QFile>
#include <QJsonDocument>
#include <cstdio>

QString JsonFileName(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString JsonText(const std::string& text) {
    return QString::fromStdString(text);
}

void PrintJsonLine(const QJsonObject& object) {
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    // A reader of a long run sees each file's line when the file is done.
    std::fflush(stdout);
}
