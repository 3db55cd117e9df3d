// kestrin-cli exif transplant: the dialog's conversion from a script.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "exif/ExifEngine.h"
#include "exif/SampleConversion.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/CameraFiles.h"
#include "tests/support/SourceDir.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFiles.h"

namespace {

struct CTransplantCase {
    const char* name;
    // Sample and file names: camera.jpg, plain.jpg, broken.jpg, pc1.jpg, pc2.jpg.
    std::vector<std::string> arguments;
    int exitCode;
    // Lines on standard output, with {folder} for the test folder.
    std::string out;
};

class TheTransplantCommand : public ::testing::TestWithParam<CTransplantCase> {
protected:
    TheTransplantCommand() {
        CJpegRecipe camera;
        camera.exifWithThumbnail = true;
        WriteFile(Path("camera.jpg"), MakeJpeg(camera));
        WriteFile(Path("plain.jpg"), MakeJpeg(CJpegRecipe{}));
        WriteFile(Path("broken.jpg"), BytesOf("not a picture"));
        CJpegRecipe pc;
        pc.width = 120;
        pc.comment = "pc";
        WriteFile(Path("pc1.jpg"), MakeJpeg(pc));
        pc.grayscale = true;
        WriteFile(Path("pc2.jpg"), MakeJpeg(pc));
    }

    std::string Path(const std::string& name) const { return folder.File(name); }

    // The files as the dialog's conversion leaves them, done on copies.
    std::map<std::string, std::vector<uint8_t>> ConvertedByTheCore(
        const std::vector<std::string>& names) {
        const std::filesystem::path copies = folder.Path() / "copies";
        std::filesystem::create_directory(copies);
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            std::filesystem::copy_file(Path(name), copies / name);
            paths.push_back((copies / name).string());
        }
        CExifEngine engine(std::string(kSourceDir) + "/data/exif_inf.pdt", "");
        CSampleConversion conversion(MakeWorkFiles(copies.string() + "/", copies.string() + "/"),
                                     engine);
        conversion.LoadSample(Path("camera.jpg"));
        conversion.Register(paths);
        conversion.ConvertAll();
        std::map<std::string, std::vector<uint8_t>> files;
        for (const std::string& name : names) {
            files[name] = ReadFile((copies / name).string());
        }
        return files;
    }

    CTempDir folder;
    CTempDir config;
};

TEST_P(TheTransplantCommand, ConvertsAsTheDialogDoesAndExitsAsPromised) {
    const std::vector<std::string> names = {"pc1.jpg", "pc2.jpg", "broken.jpg"};
    const std::map<std::string, std::vector<uint8_t>> expected = ConvertedByTheCore(names);
    std::map<std::string, std::vector<uint8_t>> before;
    for (const std::string& name : names) {
        before[name] = ReadFile(Path(name));
    }
    std::vector<std::string> arguments = {"exif", "transplant"};
    const bool changes = GetParam().exitCode != 2;
    for (const std::string& argument : GetParam().arguments) {
        arguments.push_back(argument.ends_with(".jpg") ? Path(argument) : argument);
    }
    const CCliResult result = RunCli(arguments, {"XDG_CONFIG_HOME=" + config.Path().string()});

    EXPECT_EQ(result.exitCode, GetParam().exitCode) << result.err;
    std::string out = GetParam().out;
    for (size_t at = out.find("{folder}"); at != std::string::npos; at = out.find("{folder}")) {
        out.replace(at, 8, folder.Path().string());
    }
    EXPECT_EQ(result.out, out);
    for (const std::string& name : names) {
        const bool named = std::find(GetParam().arguments.begin(), GetParam().arguments.end(),
                                     name) != GetParam().arguments.end();
        EXPECT_EQ(ReadFile(Path(name)), changes && named ? expected.at(name) : before.at(name))
            << name;
    }
}

const std::string kConverted = SampleOutcomeText(ESampleOutcome::Converted);
const std::string kNotDecoded = SampleOutcomeText(ESampleOutcome::NotDecoded);

INSTANTIATE_TEST_SUITE_P(
    ArgumentsAndSamples, TheTransplantCommand,
    ::testing::Values(
        CTransplantCase{
            "EveryFileConverted",
            {"--sample", "camera.jpg", "pc1.jpg", "pc2.jpg"},
            0,
            "{folder}/pc1.jpg: " + kConverted + "\n{folder}/pc2.jpg: " + kConverted + "\n"},
        CTransplantCase{
            "AFileSkipped",
            {"pc1.jpg", "broken.jpg", "--sample", "camera.jpg", "pc1.jpg"},
            1,
            "{folder}/pc1.jpg: " + kConverted + "\n{folder}/broken.jpg: " + kNotDecoded + "\n"},
        CTransplantCase{"SampleWithoutExif", {"--sample", "plain.jpg", "pc1.jpg"}, 2, ""},
        CTransplantCase{"SampleNotDecoded", {"--sample", "broken.jpg", "pc1.jpg"}, 2, ""},
        CTransplantCase{"NoSample", {"pc1.jpg"}, 2, ""},
        CTransplantCase{"NoFile", {"--sample", "camera.jpg"}, 2, ""},
        CTransplantCase{
            "TwoSamples", {"--sample", "camera.jpg", "--sample", "camera.jpg", "pc1.jpg"}, 2, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
