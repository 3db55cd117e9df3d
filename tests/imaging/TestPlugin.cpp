// A tiny image plug-in for the host's tests. Built with a version text as a
// plug-in of that type, and without one as a library lacking the entry point.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#ifdef KESTRIN_PLUGIN_VERSION

namespace {

// The third description is longer than the host's buffer: the copy below
// then fills the buffer without a terminator, as careless plug-ins do.
const std::string kEntries[] = {
    KESTRIN_PLUGIN_VERSION, "Test plug-in",     "*.tst", "Test picture",
    "*.tp1;*.tp2",          "Two-part picture", "*.big", std::string(300, 'D')};

}  // namespace

extern "C" int GetPluginInfo(int infono, char* buf, int buflen) {
    const int count = static_cast<int>(std::size(kEntries));
    if (infono < 0 || infono >= count || buflen < 1) {
        return 0;
    }
    const std::string& text = kEntries[infono];
    const size_t length = std::min(text.size(), static_cast<size_t>(buflen));
    std::memcpy(buf, text.data(), length);
    if (length < static_cast<size_t>(buflen)) {
        buf[length] = '\0';
    }
    return static_cast<int>(length);
}

#else

extern "C" int GetPictureInfo() {
    return 0;
}

#endif
