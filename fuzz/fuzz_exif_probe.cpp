// Drives the Exif decoder over arbitrary bytes, both as a TIFF structure and as
// its hex text, with a dictionary that knows the tags that steer the walk; and
// the readable values of the command line over the same bytes, as a TIFF
// structure and as a whole file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "exif/ExifDecoder.h"
#include "exif/ReadableExif.h"
#include "exif/TagDictionary.h"
#include "hexcodec/Cipher.h"
#include "util/ListFile.h"

namespace {

// Loaded once through a file, since a dictionary is only ever filled from one.
CTagDictionary& FuzzDictionary() {
    static CTagDictionary dictionary = [] {
        char path[] = "/tmp/fuzz_exif_probe_XXXXXX";
        const int fd = ::mkstemp(path);
        if (fd < 0) {
            std::abort();
        }
        ::close(fd);
        WriteListFile(path, {"010F,メーカー名,機器", "8769,Exif IFD,位置", "829A,露出時間,秒",
                             "829D,F値,絞り", "A005,互換性IFD,位置", "0001,互換性識別子,規則"});
        CTagDictionary loaded;
        loaded.Load(path);
        ::unlink(path);
        return loaded;
    }();
    return dictionary;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CTagDictionary& dictionary = FuzzDictionary();
    const bool fromBytes = DecodeExifTiff(data, size, dictionary);
    const std::vector<CExifTagEntry> bytesEntries = dictionary.Entries();
    const std::string hex = CCipher().Bin2CStringHex(data, static_cast<int>(size));
    const bool fromHex = DecodeExifHex(hex, hex.size(), dictionary);
    if (fromHex != fromBytes) {
        std::abort();
    }
    for (size_t i = 0; i < bytesEntries.size(); ++i) {
        if (bytesEntries[i].m_strData != dictionary.Entries()[i].m_strData) {
            std::abort();
        }
    }
    // The bytes taken as hex text themselves: any character, any length.
    const std::string text(reinterpret_cast<const char*>(data), size);
    DecodeExifHex(text, text.size(), dictionary);
    if (ReadExifTiff(data, size).has_value() != fromBytes) {
        std::abort();
    }
    ReadExifOfFile(std::vector<uint8_t>(data, data + size));
    return 0;
}
