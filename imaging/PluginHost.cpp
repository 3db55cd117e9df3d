// Loading and keeping of image plug-ins; the plug-in interface is described in
// PluginHost.h.
#include "imaging/PluginHost.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

constexpr int kInfoBufferBytes = 256;
constexpr const char* kAcceptedType = "IN";
// A plug-in that never answers "no more formats" must not hang the start.
constexpr int kMaxFormatsPerPlugin = 256;

std::string LowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return text;
}

// The .spi files of folder, sorted by name; none when it cannot be read.
std::vector<std::filesystem::path> PluginFilesIn(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (LowerAscii(it->path().extension().string()) == ".spi" && it->is_regular_file(error)) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Entry infono of a plug-in, or nothing when it has none. The buffer is
// terminated here: a plug-in may fill all of it.
std::optional<std::string> ReadInfo(GetPluginInfoFunction getInfo, int infono) {
    std::array<char, kInfoBufferBytes> buffer{};
    if (getInfo(infono, buffer.data(), kInfoBufferBytes) <= 0) {
        return std::nullopt;
    }
    buffer.back() = '\0';
    return std::string(buffer.data());
}

bool IsAcceptedType(GetPluginInfoFunction getInfo) {
    const std::optional<std::string> version = ReadInfo(getInfo, 0);
    return version && version->size() >= 4 && version->compare(2, 2, kAcceptedType) == 0;
}

// A "|" inside a text would split the filter's fields, so such a format is
// left out.
std::vector<CPluginFormat> ReadFormats(GetPluginInfoFunction getInfo) {
    std::vector<CPluginFormat> formats;
    for (int n = 0; n < kMaxFormatsPerPlugin; ++n) {
        const std::optional<std::string> pattern = ReadInfo(getInfo, 2 * n + 2);
        const std::optional<std::string> description =
            pattern ? ReadInfo(getInfo, 2 * n + 3) : std::nullopt;
        if (!description) {
            break;
        }
        if (pattern->find('|') == std::string::npos &&
            description->find('|') == std::string::npos) {
            formats.push_back({*pattern, *description});
        }
    }
    return formats;
}

GetPluginInfoFunction FindGetPluginInfo(void* module) {
    void* symbol = dlsym(module, "GetPluginInfo");
    return reinterpret_cast<GetPluginInfoFunction>(symbol);
}

}  // namespace

CPluginHost::CPluginHost(const std::string& folder) {
    for (const std::filesystem::path& path : PluginFilesIn(folder)) {
        TryLoad(path.string(), path.filename().string());
    }
}

CPluginHost::~CPluginHost() {
    for (auto it = m_plugins.rbegin(); it != m_plugins.rend(); ++it) {
        dlclose(it->m_hModule);
    }
}

// The name is compared before loading: a plug-in that would be unloaded at
// once anyway never runs its start-up code.
void CPluginHost::TryLoad(const std::string& path, const std::string& fileName) {
    if (IsLoaded(fileName)) {
        return;
    }
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        return;
    }
    const GetPluginInfoFunction getInfo = FindGetPluginInfo(module);
    if (getInfo == nullptr || !IsAcceptedType(getInfo)) {
        dlclose(module);
        return;
    }
    m_plugins.push_back({fileName, module});
    const std::vector<CPluginFormat> formats = ReadFormats(getInfo);
    m_formats.insert(m_formats.end(), formats.begin(), formats.end());
}

bool CPluginHost::IsLoaded(const std::string& fileName) const {
    const std::string lower = LowerAscii(fileName);
    return std::any_of(m_plugins.begin(), m_plugins.end(), [&](const CPlugin& plugin) {
        return LowerAscii(plugin.m_strFileName) == lower;
    });
}

std::vector<std::string> CPluginHost::LoadedNames() const {
    std::vector<std::string> names;
    for (const CPlugin& plugin : m_plugins) {
        names.push_back(plugin.m_strFileName);
    }
    return names;
}

std::string CPluginHost::OpenFileFilter() const {
    std::string filter =
        "全てのﾌｧｲﾙ(*.*)|*.*|JPEGﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|"
        "全ての読込可能画像|*.jpg;*.jpeg";
    for (const CPluginFormat& format : m_formats) {
        filter += ";" + format.m_strPattern;
    }
    filter += "|";
    for (const CPluginFormat& format : m_formats) {
        filter +=
            format.m_strDescription + " (" + format.m_strPattern + ")|" + format.m_strPattern + "|";
    }
    return filter;
}
