#include "cli/VerifyCommand.h"

#include <QCommandLineParser>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cstdio>

#include "imaging/SampleComparison.h"

namespace {

const char kVerifyUsage[] =
    "Usage: kestrin-cli verify [--json] A B\n"
    "Decodes the JPEG files A and B side by side with the JPEG library's default\n"
    "settings and compares their samples row by row.\n"
    "  --json      print the result as one JSON object on one line\n"
    "  -h, --help  show this text\n"
    "Exit status: 0 same samples, 1 they differ or a file does not decode, 2 usage\n"
    "error.\n";

int VerifyUsageError(const QString& problem) {
    std::fprintf(stderr, "kestrin-cli: verify: %s\n\n%s", problem.toUtf8().constData(),
                 kVerifyUsage);
    return kExitUsage;
}

// Bytes as Latin-1 characters and back: a file name that is not UTF-8 comes
// through the parser unchanged.
QString AsLatin1(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string FromLatin1(const QString& text) {
    return text.toLatin1().toStdString();
}

std::string TextResult(const std::string& a, const std::string& b,
                       const CSampleComparison& result) {
    const auto shape = [](const CSampleShape& s) {
        return std::to_string(s.m_nWidth) + " x " + std::to_string(s.m_nHeight) + ", " +
               std::to_string(s.m_nComponents) + " components";
    };
    switch (result.m_eMatch) {
        case ESampleMatch::Same:
            return a + " and " + b + " decode to the same samples (" + shape(result.m_first) + ")";
        case ESampleMatch::DifferentShape:
            return a + " and " + b + " differ in size: " + shape(result.m_first) + " against " +
                   shape(result.m_second);
        case ESampleMatch::DifferentSamples:
            return a + " and " + b + " differ: first at row " + std::to_string(result.m_nRow) +
                   ", column " + std::to_string(result.m_nColumn) + " (counted from 0)";
        case ESampleMatch::Undecodable:
            break;
    }
    return (result.m_bFirstUndecodable ? a : b) + " does not decode: " + result.m_strReason;
}

void AddShape(QJsonObject& object, const char* suffix, const CSampleShape& shape) {
    object[QStringLiteral("width_") + suffix] = shape.m_nWidth;
    object[QStringLiteral("height_") + suffix] = shape.m_nHeight;
    object[QStringLiteral("components_") + suffix] = shape.m_nComponents;
}

std::string JsonResult(const std::string& a, const std::string& b,
                       const CSampleComparison& result) {
    QJsonObject object{{"a", QString::fromStdString(a)},
                       {"b", QString::fromStdString(b)},
                       {"same", result.m_eMatch == ESampleMatch::Same}};
    switch (result.m_eMatch) {
        case ESampleMatch::Same:
            break;
        case ESampleMatch::DifferentShape:
            object["reason"] = "sizes differ";
            AddShape(object, "a", result.m_first);
            AddShape(object, "b", result.m_second);
            break;
        case ESampleMatch::DifferentSamples:
            object["reason"] = "samples differ";
            object["row"] = static_cast<qint64>(result.m_nRow);
            object["column"] = static_cast<qint64>(result.m_nColumn);
            break;
        case ESampleMatch::Undecodable:
            object["reason"] = QString::fromStdString(result.m_strReason);
            object["undecodable"] = result.m_bFirstUndecodable ? "a" : "b";
            break;
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

}  // namespace

int RunVerifyCommand(const Arguments& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({json, help});
    QStringList words{QStringLiteral("verify")};
    for (const std::string& argument : arguments) {
        words << AsLatin1(argument);
    }
    if (!parser.parse(words)) {
        return VerifyUsageError(parser.errorText());
    }
    if (parser.isSet(help)) {
        std::fputs(kVerifyUsage, stdout);
        return kExitSuccess;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        return VerifyUsageError(files.size() < 2 ? QStringLiteral("two files are needed")
                                                 : QStringLiteral("more than two files given"));
    }
    const std::string a = FromLatin1(files[0]);
    const std::string b = FromLatin1(files[1]);
    const CSampleComparison result = CompareJpegSamples(a, b);
    const std::string line =
        parser.isSet(json) ? JsonResult(a, b, result) : TextResult(a, b, result);
    std::printf("%s\n", line.c_str());
    return result.m_eMatch == ESampleMatch::Same ? kExitSuccess : kExitFileFailed;
}
