// A private folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>

class CTempDir {
public:
    CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    ~CTempDir();

    const std::filesystem::path& Path() const { return m_path; }
    // The path of name inside the folder, as the core's text form.
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};
