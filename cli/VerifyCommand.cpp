#include "cli/VerifyCommand.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "cli/JsonLine.h"
#include "cli/VerbParser.h"
#include "imaging/SampleComparison.h"

namespace {

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
    QJsonObject object{{"a", JsonFileName(a)},
                       {"b", JsonFileName(b)},
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
            object["reason"] = JsonText(result.m_strReason);
            object["undecodable"] = result.m_bFirstUndecodable ? "a" : "b";
            break;
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

}  // namespace

int RunVerifyCommand(const Arguments& arguments) {
    CVerbParser parser("verify", "[--json] A B",
                       "Decodes the JPEG files A and B side by side with the JPEG library's "
                       "default\nsettings and compares their samples row by row.\nExit status: 0 "
                       "same samples, 1 they differ or a file does not decode, 2 usage\nerror.");
    parser.AddOption({QStringLiteral("json")}, "print the result as one JSON object on one line");
    parser.AddArgument("A", "a JPEG file");
    parser.AddArgument("B", "the JPEG file to compare with A");
    parser.ExpectArguments(2, 2);
    if (const std::optional<int> status = parser.Parse(arguments)) {
        return *status;
    }
    const std::string& a = parser.Positional()[0];
    const std::string& b = parser.Positional()[1];
    const CSampleComparison result = CompareJpegSamples(a, b);
    const std::string line =
        parser.IsSet("json") ? JsonResult(a, b, result) : TextResult(a, b, result);
    std::printf("%s\n", line.c_str());
    return result.m_eMatch == ESampleMatch::Same ? kExitSuccess : kExitFileFailed;
}
