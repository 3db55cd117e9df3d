#include "tests/support/BatchFixture.h"

#include <filesystem>

#include "segment/KeptHeaderList.h"
#include "tests/support/SourceDir.h"
#include "tests/support/TestFiles.h"

namespace {

CWorkFiles WorkFilesIn(const CTempDir& folder) {
    std::filesystem::create_directory(folder.Path() / "work");
    return MakeWorkFiles(folder.File("work/"), folder.File("work/"));
}

// The command line's choice: no image plug-ins from the working folder.
std::unique_ptr<CExifEngine> EngineOver(const std::string& tagFile) {
    return std::make_unique<CExifEngine>(tagFile, "");
}

}  // namespace

CBatchFixture::CBatchFixture()
    : work(WorkFilesIn(folder)),
      keptCodes(DefaultKeptHeaderCodes()),
      exif(EngineOver(work.m_strExifInf)) {}

std::string CBatchFixture::Place(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = folder.File(name);
    WriteFile(path, bytes);
    return path;
}

void CBatchFixture::UseTagFile(const std::string& text) {
    WriteTextFile(work.m_strExifInf, text);
    exif = EngineOver(work.m_strExifInf);
}

void CBatchFixture::UseShippedTagFile() {
    std::filesystem::copy_file(std::string(kSourceDir) + "/data/exif_inf.pdt", work.m_strExifInf,
                               std::filesystem::copy_options::overwrite_existing);
    exif = EngineOver(work.m_strExifInf);
}
