// JSON output of the verbs: one compact object per line (JSON Lines),
// written by QJsonDocument.
#pragma once

#include <QJsonObject>
#include <QString>
#include <string>

// A file name's bytes as JSON text, decoded as the system decodes file names
// (UTF-8). Bytes that are not UTF-8 become U+FFFD: the line always parses,
// but such a name cannot be read back byte for byte.
QString JsonFileName(const std::string& path);

// One of the program's UTF-8 texts; bytes that are not UTF-8 become U+FFFD.
QString JsonText(const std::string& text);

// object on one line of standard output, flushed at once.
void PrintJsonLine(const QJsonObject& object);
