// The --json records of exif backup, embed, transplant and dates, read back
// with a JSON parser: one object per file, in the order given, on standard
// output alone.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <functional>
#include <sstream>

#include "exif/ExifBlock.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/JpegMaker.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

struct CExpectedRecord {
    std::string file;
    std::string outcome;
    // The key of the file written, and that file; "" when it must be null.
    std::string writtenKey;
    std::string written;
    bool hasReason;
};

struct CRecordCase {
    const char* name;
    std::vector<std::string> arguments;
    std::vector<CExpectedRecord> records;
};

class TheFileRecords : public ::testing::Test {
protected:
    TheFileRecords() {
        CJpegRecipe camera;
        camera.exifWithThumbnail = true;
        WriteFile(File("cam.jpg"), MakeJpeg(camera));
        WriteFile(File("plain.jpg"), MakeJpeg(CJpegRecipe{}));
        WriteTextFile(File("bad.jpg"), "no picture");
    }

    std::string File(const std::string& name) const { return folder.File(name); }

    CCliResult Run(const std::vector<std::string>& arguments) {
        return RunCli(arguments, {"XDG_CONFIG_HOME=" + config.Path().string(), "TZ=UTC"});
    }

    // Each line of out parsed as one JSON object.
    static std::vector<QJsonObject> Records(const std::string& out) {
        std::vector<QJsonObject> records;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            QJsonParseError error;
            const QJsonDocument document =
                QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
            records.push_back(document.object());
        }
        return records;
    }

    static void Expect(const QJsonObject& record, const CExpectedRecord& expected,
                       const char* name) {
        EXPECT_EQ(record["file"].toString().toStdString(), expected.file) << name;
        EXPECT_EQ(record["outcome"].toString().toStdString(), expected.outcome) << name;
        const QString key = QString::fromStdString(expected.writtenKey);
        if (!key.isEmpty()) {
            ASSERT_TRUE(record.contains(key)) << name;
            EXPECT_EQ(record[key].toString().toStdString(), expected.written) << name;
            EXPECT_EQ(record[key].isNull(), expected.written.empty()) << name;
        }
        EXPECT_EQ(record["reason"].isString(), expected.hasReason) << name;
        EXPECT_EQ(record["reason"].isNull(), !expected.hasReason) << name;
        EXPECT_TRUE(record["ms"].isDouble()) << name;
    }

    CTempDir folder;
    CTempDir config;
};

TEST_F(TheFileRecords, GiveEachFileItsOutcomeInOrderOnStandardOutput) {
    const std::vector<CRecordCase> cases = {
        {"backup",
         {"exif", "backup", "--json", File("cam.jpg"), File("plain.jpg")},
         {{File("cam.jpg"), "backed-up", "exif_backup", File("cam_kestrin100.exif"), false},
          {File("plain.jpg"), "no-exif", "exif_backup", "", true}}},
        {"embed",
         {"exif", "embed", "--json", File("stripped.jpg"), File("plain.jpg")},
         {{File("stripped.jpg"), "embedded", "output", File("stripped_kestrin100.jpg"), false},
          {File("plain.jpg"), "no-backup", "output", "", true}}},
        {"transplant",
         {"exif", "transplant", "--json", "--sample", File("cam.jpg"), File("plain.jpg"),
          File("bad.jpg"), File("gone.jpg")},
         {{File("plain.jpg"), "converted", "output", File("plain.jpg"), false},
          {File("bad.jpg"), "not-decoded", "output", "", true},
          {File("gone.jpg"), "not-read", "output", "", true}}},
        {"dates",
         {"dates", "--json", "--set", "2020-01-02 03:04", File("bad.jpg"), File("gone.jpg")},
         {{File("bad.jpg"), "set", "modification", "2020-01-02T03:04:00+00:00", false},
          {File("gone.jpg"), "not-changed", "modification", "", true}}},
    };
    // The embedding's file: a camera picture whose block was saved, then cut out.
    WriteFile(File("stripped.jpg"), ReadFile(File("cam.jpg")));
    ASSERT_EQ(Run({"exif", "backup", File("stripped.jpg")}).exitCode, 0);
    WriteFile(File("stripped.jpg"), CutExifSegment(ReadFile(File("stripped.jpg")))->remainder);
    for (const CRecordCase& c : cases) {
        const CCliResult result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, 1) << c.name << result.err;
        const std::vector<QJsonObject> records = Records(result.out);
        ASSERT_EQ(records.size(), c.records.size()) << c.name << result.out;
        for (size_t i = 0; i < records.size(); ++i) {
            Expect(records[i], c.records[i], c.name);
        }
    }
}

TEST_F(TheFileRecords, LeaveTheLogToStandardError) {
    const CCliResult result = Run({"exif", "backup", "--json", File("cam.jpg")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(Records(result.out).size(), 1U);
    EXPECT_NE(result.err.find("Exif情報を保存しました"), std::string::npos) << result.err;
}

}  // namespace
