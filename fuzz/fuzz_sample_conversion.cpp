// Converts a hostile picture to the layout of a hostile sample, as the
// sample dialog does: the sample's Exif block with a thumbnail of the
// picture goes into the picture. A converted file must show exactly the
// picture it showed before; any other outcome leaves it byte for byte.
//
// Input: the sample's length in two bytes, the sample, then the picture.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exif/ExifEngine.h"
#include "exif/SampleConversion.h"
#include "fuzz/FuzzSupport.h"
#include "util/FileHelpers.h"

namespace {

struct CSampleFiles : CFuzzWorkspace {
    std::string sample = photos.File("sample.jpg");
    std::string picture = photos.File("picture.jpg");
    // The conversion of the last sample loaded: most inputs change only the
    // picture, and loading a sample (its 320 x 320 preview) takes most of a
    // run. A conversion converts the same whatever it converted before.
    std::unique_ptr<CSampleConversion> conversion;
    ByteVector loadedSample;
    ESampleLoad load = ESampleLoad::NotDecoded;

    ESampleLoad Load(const ByteVector& bytes) {
        if (!conversion || bytes != loadedSample) {
            Require(WriteWholeFile(sample, bytes.data(), bytes.size()));
            conversion = std::make_unique<CSampleConversion>(work, exif);
            load = conversion->LoadSample(sample);
            loadedSample = bytes;
            conversion->Register({picture});
        }
        return load;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CSampleFiles files;
    CFuzzReader input(data, size);
    const ByteVector sample = input.SizedBytes();
    const ByteVector original = input.Rest();
    if (DeclaresLargePicture(sample) || DeclaresLargePicture(original)) {
        return -1;
    }
    if (files.Load(sample) != ESampleLoad::Loaded) {
        return 0;
    }
    Require(WriteWholeFile(files.picture, original.data(), original.size()));
    const std::vector<CSampleResult> results = files.conversion->ConvertAll();
    Require(results.size() == 1);
    ConversionSummary(results);
    const std::optional<ByteVector> after = ReadFileBytes(files.picture);
    Require(after.has_value());
    if (results.front().outcome != ESampleOutcome::Converted) {
        Require(*after == original);
        return 0;
    }
    CPackedPicture before;
    Require(DecodeForFuzz(original, before) && SamePixels(before, *after));
    return 0;
}
