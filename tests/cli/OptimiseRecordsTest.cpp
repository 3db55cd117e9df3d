// kestrin-cli optimise as a tool among others: its JSON records, its dry run,
// its output folder and its filter on standard input.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "tests/cli/CliRunner.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

std::vector<QJsonObject> Records(const std::string& out) {
    std::vector<QJsonObject> records;
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        QJsonParseError error;
        const QJsonDocument line = QJsonDocument::fromJson(
            QByteArray::fromStdString(out.substr(start, end - start)), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << out.substr(start, end - start);
        records.push_back(line.object());
    }
    EXPECT_EQ(start, out.size()) << "every record ends its line";
    return records;
}

// What a shell prints for command's standard output.
std::string Shell(const std::string& command) {
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            out.append(buffer, got);
        }
        ::pclose(pipe);
    }
    return out;
}

// The digest as the manual page tells a user to recompute it.
std::string DjpegDigest(const std::string& path) {
    return Shell("djpeg -pnm '" + path + "' | tail -n +4 | sha256sum | head -c 64");
}

class TheOptimiseRecords : public ::testing::Test {
protected:
    CCliResult Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "optimise");
        return RunCli(arguments, {"XDG_CONFIG_HOME=" + config.Path().string()});
    }

    std::string Place(const std::string& name, const std::vector<uint8_t>& bytes) {
        const fs::path path = folder.Path() / name;
        fs::create_directories(path.parent_path());
        WriteFile(path.string(), bytes);
        return path.string();
    }

    static std::vector<uint8_t> Camera() {
        CJpegRecipe recipe;
        recipe.exifWithThumbnail = true;
        recipe.comment = "Camera 1";
        recipe.trailer = {0x00, 0x11};
        return MakeJpeg(recipe);
    }
    static std::vector<uint8_t> Plain(bool grey) {
        CJpegRecipe recipe;
        recipe.jfif = false;
        recipe.grayscale = grey;
        return MakeJpeg(recipe);
    }
    // Its colours need the Adobe segment the optimisation drops.
    static std::vector<uint8_t> AdobeDependent() {
        return InsertAfterStart(MakeUntransformedRgbPicture(48, 32), {MakeAdobeSegment(0)});
    }

    std::string Cli(const std::string& arguments) const {
        return CliFolder() + "/kestrin-cli " + arguments;
    }

    CTempDir folder;
    CTempDir config;
};

TEST_F(TheOptimiseRecords, GiveOneParsableRecordPerFileInOrderWithTheFieldsOfItsOutcome) {
    struct CRow {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* outcome;
        bool written;
        const char* check;
        bool pixels;
    };
    const std::vector<CRow> rows = {
        {"a-camera.jpg", Camera(), "optimised", true, "pixels", true},
        {"b-plain.jpg", Plain(false), "nothing-to-remove", false, "none", true},
        {"c-taken.jpg", Camera(), "skipped", false, "pixels", true},
        {"d-adobe.jpg", AdobeDependent(), "check-failed", false, "pixels", true},
        {"e-broken.jpg", BytesOf("no picture"), "failed", false, "none", false},
    };
    std::vector<std::string> paths;
    for (const CRow& row : rows) {
        paths.push_back(Place("photos/" + std::string(row.name), row.bytes));
    }
    WriteTextFile(folder.File("photos/c-taken_kestrin100.jpg"), "someone else's");

    std::vector<std::string> arguments = {"--json", "--jobs", "2"};
    arguments.insert(arguments.end(), paths.begin(), paths.end());
    const CCliResult result = Run(arguments);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("最適化前の合計"), std::string::npos) << "the log on stderr";
    const std::vector<QJsonObject> records = Records(result.out);
    ASSERT_EQ(records.size(), rows.size());
    const QStringList keys = {"bytes_after", "bytes_before", "check",   "exif_backup",
                              "file",        "ms",           "outcome", "output",
                              "pixels",      "reason",       "removed"};
    for (size_t i = 0; i < rows.size(); ++i) {
        const CRow& row = rows[i];
        const QJsonObject& record = records[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(record.keys(), keys);
        EXPECT_EQ(record["file"].toString().toStdString(), paths[i]);
        EXPECT_EQ(record["outcome"].toString().toStdString(), row.outcome);
        EXPECT_EQ(record["output"].isString(), row.written);
        EXPECT_EQ(record["bytes_after"].isDouble(), row.written);
        EXPECT_EQ(record["bytes_before"].toInteger(), static_cast<qint64>(row.bytes.size()));
        EXPECT_EQ(record["check"].toString().toStdString(), row.check);
        EXPECT_EQ(record["pixels"].isObject(), row.pixels);
        const bool succeeded = row.outcome == std::string("optimised") ||
                               row.outcome == std::string("nothing-to-remove");
        EXPECT_EQ(record["reason"].isString(), !succeeded);
        if (row.pixels) {
            EXPECT_EQ(record["pixels"]["sha256_before"].toString().toStdString(),
                      DjpegDigest(paths[i]));
            EXPECT_EQ(record["pixels"]["sha256_after"].isString(), row.written);
        }
    }
    const QJsonObject& optimised = records[0];
    EXPECT_EQ(optimised["bytes_after"].toInteger(),
              static_cast<qint64>(fs::file_size(optimised["output"].toString().toStdString())));
    qint64 removed = 0;
    for (const QJsonValue piece : optimised["removed"].toArray()) {
        removed += piece["bytes"].toInteger();
    }
    EXPECT_EQ(removed,
              optimised["bytes_before"].toInteger() - optimised["bytes_after"].toInteger());
    EXPECT_EQ(optimised["exif_backup"].toString().toStdString(),
              folder.File("photos/a-camera_kestrin100.exif"));
}

TEST_F(TheOptimiseRecords, HoldDigestsThatDjpegAndSha256sumGiveForGreyLargeAndCameraFiles) {
    // Many bands of rows: the digest is taken as the first check decodes them.
    CJpegRecipe large;
    large.width = 4200;
    large.height = 4200;
    large.quality = 40;
    std::vector<std::string> files = {Place("grey.jpg", Plain(true)),
                                      Place("large.jpg", MakeJpeg(large))};
    const fs::path shared = SharedSamplesFolder();
    if (!shared.empty() && fs::is_directory(shared / "camera")) {
        for (const auto& entry : fs::directory_iterator(shared / "camera")) {
            files.push_back(entry.path().string());
        }
    }
    std::vector<std::string> arguments = {"--json", "--dry-run", "--quiet"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const std::vector<QJsonObject> records = Records(Run(arguments).out);
    ASSERT_EQ(records.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(records[i]["pixels"]["sha256_before"].toString().toStdString(),
                  DjpegDigest(files[i]))
            << files[i];
    }
    EXPECT_EQ(records[0]["pixels"]["components"].toInt(), 1);
}

TEST_F(TheOptimiseRecords, OfADryRunSayWhatWouldBeWrittenWhileNoFileChanges) {
    Place("photos/a.jpg", Camera());
    Place("photos/deep/b.jpg", Camera());
    const auto before = FolderSnapshot(folder.Path());
    const CCliResult result = Run({"--json", "--dry-run", "--in-place", folder.File("photos")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(FolderSnapshot(folder.Path()), before);
    for (const QJsonObject& record : Records(result.out)) {
        EXPECT_TRUE(record["dry_run"].toBool());
        EXPECT_EQ(record["output"], record["file"]);
        EXPECT_TRUE(record["exif_backup"].isString());
    }
}

TEST_F(TheOptimiseRecords, UnderAnOutputFolderMirrorTheGivenFoldersAndLeaveTheOriginals) {
    Place("photos/a.jpg", Camera());
    Place("photos/deep/b.jpg", Camera());
    const auto before = FolderSnapshot(folder.Path() / "photos");
    // The output folder inside the given one is not taken for input.
    const std::string out = folder.File("photos/out");
    for (int run = 0; run < 2; ++run) {
        const CCliResult result =
            Run({"--quiet", "--in-place", "--output-dir", out, folder.File("photos")});
        EXPECT_EQ(result.exitCode, run == 0 ? 0 : 1) << result.err;
    }
    for (const char* written : {"photos/a.jpg", "photos/a_kestrin100.exif", "photos/deep/b.jpg",
                                "photos/deep/b_kestrin100.exif"}) {
        EXPECT_TRUE(fs::exists(fs::path(out) / written)) << written;
    }
    EXPECT_FALSE(fs::exists(fs::path(out) / "photos/out"));
    EXPECT_EQ(Run({"--output-dir", out, folder.File("photos/a.jpg"), Place("b/a.jpg", Camera())})
                  .exitCode,
              2)
        << "two files for one place under DIR";
    auto after = FolderSnapshot(folder.Path() / "photos");
    std::erase_if(after, [&](const auto& entry) { return entry.first.starts_with(out); });
    EXPECT_EQ(after, before);
}

TEST_F(TheOptimiseRecords, OfStandardInputAreTheBatchsBytesOnStandardOutput) {
    const std::string camera = Place("camera.jpg", Camera());
    const std::string plain = Place("plain.jpg", Plain(false));
    const std::string adobe = Place("adobe.jpg", AdobeDependent());
    ASSERT_EQ(Run({"--quiet", camera}).exitCode, 0);
    const std::string filtered = folder.File("filtered.jpg");
    const auto filter = [&](const std::string& input) {
        return std::system(
            Cli("optimise - < '" + input + "' > '" + filtered + "' 2>/dev/null").c_str());
    };
    EXPECT_EQ(filter(camera), 0);
    EXPECT_EQ(ReadFile(filtered), ReadFile(folder.File("camera_kestrin100.jpg")));
    EXPECT_EQ(filter(plain), 0);
    EXPECT_EQ(ReadFile(filtered), ReadFile(plain)) << "nothing to remove: the input unchanged";
    EXPECT_NE(filter(adobe), 0);
    EXPECT_TRUE(ReadFile(filtered).empty()) << "a failed check gives nothing";
}

// The README's example of many files over GNU parallel, run as it is written.
TEST_F(TheOptimiseRecords, ConcatenateIntoOneFileWhenGnuParallelSpreadsTheFiles) {
    if (std::system("command -v parallel >/dev/null") != 0) {
        GTEST_SKIP() << "GNU parallel is not installed";
    }
    for (int i = 0; i < 6; ++i) {
        Place("PHOTOS/" + std::string(i % 2 == 0 ? "" : "sub/") + std::to_string(i) + ".jpg",
              Camera());
    }
    const std::string command = "cd '" + folder.Path().string() + "' && export PATH='" +
                                CliFolder() + "':\"$PATH\" XDG_CONFIG_HOME='" +
                                config.Path().string() +
                                "' && find PHOTOS -name '*.jpg' -print0 | parallel -0 -X "
                                "kestrin-cli optimise --json --quiet > proofs.jsonl";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::set<std::string> files;
    for (const QJsonObject& record : Records(ReadTextFile(folder.File("proofs.jsonl")))) {
        EXPECT_EQ(record["outcome"].toString(), "optimised");
        files.insert(record["file"].toString().toStdString());
    }
    EXPECT_EQ(files.size(), 6U);
}

}  // namespace
