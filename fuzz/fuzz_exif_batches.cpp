// The Exif batches on hostile files: the embedding of a hostile .exif file
// into a hostile picture, under a new name or over the picture, and the
// backup of a hostile picture's block. An embedded result must show exactly
// the picture's pixels; the backup only ever reads the picture.
//
// Input: a flags byte (write over the picture), the .exif file's length in
// two bytes, the .exif file, then the picture.
#include <cstdint>
#include <optional>
#include <string>

#include "exif/ExifBackupBatch.h"
#include "exif/ExifEmbedBatch.h"
#include "exif/ExifEngine.h"
#include "fuzz/FuzzSupport.h"
#include "settings/MemorySettingsStore.h"
#include "util/FileHelpers.h"
#include "util/TextHelpers.h"

namespace {

constexpr uint8_t kOverwrite = 1;

struct CBatchFiles : CFuzzWorkspace {
    std::string picture = photos.File("a.jpg");
    std::string kept = photos.File("b.jpg");
};

void CheckEmbedding(CBatchFiles& files, const CSettingsStore& settings, const ByteVector& block,
                    const ByteVector& original) {
    Require(WriteWholeFile(CExifEngine::ExifBackupName(files.picture, settings), block.data(),
                           block.size()));
    CExifEmbedBatch batch(files.work, settings, files.exif);
    if (batch.ProcessDrop({files.picture}) == 0) {
        Require(ReadFileBytes(files.picture) == original);
        return;
    }
    const std::string output =
        BatchOutputName(files.picture, settings.Read(settings::kFileName), ".jpg");
    const std::optional<ByteVector> embedded = ReadFileBytes(output);
    CPackedPicture before;
    Require(embedded && DecodeForFuzz(original, before) && SamePixels(before, *embedded));
}

void CheckBackup(CBatchFiles& files, const CSettingsStore& settings, const ByteVector& original) {
    Require(WriteWholeFile(files.kept, original.data(), original.size()));
    CExifBackupBatch batch(files.work, settings, files.exif);
    batch.ProcessDrop({files.kept});
    Require(ReadFileBytes(files.kept) == original);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CBatchFiles files;
    CFuzzReader input(data, size);
    const uint8_t flags = input.Byte();
    const ByteVector block = input.SizedBytes();
    const ByteVector original = input.Rest();
    if (DeclaresLargePicture(original)) {
        return -1;
    }
    CMemorySettingsStore settings;
    if ((flags & kOverwrite) != 0) {
        settings.Write(settings::kFileName, "");
    }
    files.photos.Empty();
    Require(WriteWholeFile(files.picture, original.data(), original.size()));
    CheckEmbedding(files, settings, block, original);
    CheckBackup(files, settings, original);
    return 0;
}
