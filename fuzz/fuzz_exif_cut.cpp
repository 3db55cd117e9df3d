// Cuts the Exif block out of hostile bytes and locates it in their hex text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exif/ExifBlock.h"
#include "exif/ExifEngine.h"
#include "hexcodec/Cipher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ByteVector file(data, data + size);
    const std::optional<CExifCut> cut = CutExifSegment(file);
    // The remainder keeps two bytes in front and loses what lay before the
    // block, so the pieces never hold more than the file and those two bytes.
    if (cut && cut->block.size() + cut->remainder.size() > file.size() + 2) {
        std::abort();
    }
    const std::string hex = CCipher().Bin2CStringHex(data, static_cast<int>(size));
    const std::optional<CExifLocation> location = CExifEngine::LocateExifHex(hex);
    if (location && location->start + location->length > hex.size()) {
        std::abort();
    }
    return 0;
}
