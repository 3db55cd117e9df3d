// Feeds hostile text to the checking hex decoder and the work-file conversion.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hexcodec/Cipher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CCipher::SetMessageHandler([](const char*) {});
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CCipher cipher;
    // Room for the longest result the decoder may write: 100 bytes and a NUL.
    unsigned char out[101];
    const int count = cipher.CharHex2Bin(out, text.c_str());
    if (count > 100) {
        std::abort();
    }
    if (count >= 0) {
        const std::string back = cipher.Bin2CStringHex(out, count);
        if (back != text.substr(0, std::strlen(text.c_str()))) {
            std::abort();
        }
    }
    unsigned char loose[300];
    const int pairs = static_cast<int>(std::min<size_t>(size / 2, sizeof loose));
    cipher.HexCharToChar(loose, data, pairs);
    cipher.PercentCharToChar(loose, data,
                             static_cast<int>(std::min<size_t>(size / 3, sizeof loose)));
    cipher.CStringHex2CString(text);
    return 0;
}
