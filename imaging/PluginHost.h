// The image plug-in host: loads the import plug-ins of one folder and builds
// the open-file filter from the formats they describe. No picture is ever
// opened through a plug-in; they stay loaded, unused, until the host goes.
//
// A plug-in is a shared library named *.spi that exports
//
//     extern "C" int GetPluginInfo(int infono, char* buf, int buflen);
//
// which copies the text of entry infono into buf (at most buflen bytes, NUL
// included) and returns the number of characters written, or 0 when there is
// no such entry. Entry 0 is the version text, whose characters 2 and 3 give the
// plug-in's type ("00IN": type "IN", an import filter, the only type this host
// keeps). Entries 2n+2 and 2n+3 are the extension pattern and the description
// of format n ("*.bmp;*.dib", "Bitmap"), for n = 0, 1, 2 ... until 0 comes back.
// Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

using GetPluginInfoFunction = int (*)(int infono, char* buf, int buflen);

struct CPluginFormat {
    std::string m_strPattern;
    std::string m_strDescription;
};

class CPluginHost {
public:
    // Loads every acceptable plug-in of folder (".": the current folder).
    explicit CPluginHost(const std::string& folder);
    ~CPluginHost();
    CPluginHost(const CPluginHost&) = delete;
    CPluginHost& operator=(const CPluginHost&) = delete;

    // File names of the loaded plug-ins, in load order.
    std::vector<std::string> LoadedNames() const;
    const std::vector<CPluginFormat>& Formats() const { return m_formats; }
    // "全てのﾌｧｲﾙ(*.*)|*.*|JPEGﾌｧｲﾙ(*.jpg;*.jpeg)|*.jpg;*.jpeg|", then
    // "全ての読込可能画像|" with the JPEG patterns and every plug-in pattern
    // joined by ";" and a closing "|", then "description (pattern)|pattern|"
    // for each plug-in format.
    std::string OpenFileFilter() const;

private:
    struct CPlugin {
        std::string m_strFileName;
        void* m_hModule;
    };
    void TryLoad(const std::string& path, const std::string& fileName);
    bool IsLoaded(const std::string& fileName) const;

    std::vector<CPlugin> m_plugins;
    std::vector<CPluginFormat> m_formats;
};
