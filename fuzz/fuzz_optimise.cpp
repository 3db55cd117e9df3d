// Optimises one hostile file the two ways a user can: the batch, saving
// under a new name or over the file, and the wizard, saving under a new name
// after the optimisation or after embedding the Exif block it cut out and
// saved. Whatever is written must show exactly the picture of the file as it
// was, and the file itself stays as it was unless it was written over.
//
// Input: a flags byte, then the file.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "optimise/BatchOptimiser.h"
#include "optimise/WizardSession.h"
#include "segment/KeptHeaderList.h"
#include "settings/MemorySettingsStore.h"
#include "util/FileHelpers.h"

namespace {

enum EFlag : uint8_t {
    kWizard = 1,
    kOverwrite = 2,
    kKeepExif = 4,
    kKeepApp0 = 8,
    kEmbedExif = 16,
    // The colour profile, the orientation and motion photos or gain maps stay.
    kKeepExtras = 32,
};

struct COptimiseFiles : CFuzzWorkspace {
    std::vector<std::string> kept = DefaultKeptHeaderCodes();
    std::string dropped = photos.File("a.jpg");
};

void RunBatch(COptimiseFiles& files, const CSettingsStore& settings) {
    CBatchOptimiser batch(files.work, settings, files.kept);
    batch.KeepNoWorkFiles();
    batch.Drop({files.dropped});
    batch.RunQueue();
}

void RunWizard(COptimiseFiles& files, const CSettingsStore& settings, const CPackedPicture& picture,
               bool embed) {
    CWizardSession session(files.work, settings, files.kept, files.exif,
                           CWizardDocument{files.dropped, &picture, std::nullopt});
    // Chosen before the work copy, as the window does.
    session.ChoosePath(embed ? EWizardPath::EmbedExif : EWizardPath::Optimise);
    if (session.BeginWorkCopy() != EWorkCopyStart::ReadyToScan) {
        return;
    }
    ScanJpegHeaders(session.Record());
    session.FinishScan(session.Record().m_nStatus);
    const std::string block = files.photos.File("a.exif");
    if (embed && session.SaveExifBlockAs(block)) {
        session.EmbedExif(block);
    }
    session.SaveAs(files.photos.File("wizard.jpg"));
}

// Only the results and backups the user expects beside the photo: no
// half-written file is left behind.
bool IsExpectedName(const std::string& name) {
    static const std::set<std::string> kExpected = {"a.jpg", "a_kestrin100.jpg",
                                                    "a_kestrin100.exif", "a.exif", "wizard.jpg"};
    return kExpected.contains(name);
}

// Every picture in the folder shows the original's pixels; the dropped file
// is unchanged unless it may have been written over.
void CheckWrittenPictures(const COptimiseFiles& files, const ByteVector& original,
                          const std::optional<CPackedPicture>& picture, bool overwrite) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(files.photos.File(""), error)) {
        Require(IsExpectedName(entry.path().filename().string()));
        if (entry.path().extension() != ".jpg") {
            continue;
        }
        const std::optional<ByteVector> written = ReadFileBytes(entry.path().string());
        Require(written.has_value());
        if (*written == original) {
            continue;
        }
        Require(entry.path() != files.dropped || overwrite);
        Require(picture && SamePixels(*picture, *written));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static COptimiseFiles files;
    CFuzzReader input(data, size);
    const uint8_t flags = input.Byte();
    const ByteVector original = input.Rest();
    if (DeclaresLargePicture(original)) {
        return -1;
    }
    CMemorySettingsStore settings;
    const bool overwrite = (flags & kOverwrite) != 0 && (flags & kWizard) == 0;
    if (overwrite) {
        settings.Write(settings::kFileName, "");
    }
    settings.Write(settings::kDelExif, (flags & kKeepExif) != 0 ? 0 : 1);
    settings.Write(settings::kFfe0, (flags & kKeepApp0) != 0 ? 1 : 0);
    for (const CIntSetting* keep :
         {&settings::kKeepIcc, &settings::kKeepOrientation, &settings::kKeepMotion}) {
        settings.Write(*keep, (flags & kKeepExtras) != 0 ? 1 : 0);
    }
    std::optional<CPackedPicture> picture(std::in_place);
    if (!DecodeForFuzz(original, *picture)) {
        picture.reset();
    }

    files.photos.Empty();
    Require(WriteWholeFile(files.dropped, original.data(), original.size()));
    if ((flags & kWizard) == 0) {
        RunBatch(files, settings);
    } else if (picture) {
        // The wizard starts only on a document the main window could show.
        RunWizard(files, settings, *picture, (flags & kEmbedExif) != 0);
    }
    CheckWrittenPictures(files, original, picture, overwrite);
    return 0;
}
