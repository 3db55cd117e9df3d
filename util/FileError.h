// The one exception type for operating-system failures during a file operation.
// It is caught at the boundary of a user command, never inside the core.
#pragma once

#include <stdexcept>
#include <string>

class CFileException : public std::runtime_error {
public:
    CFileException(const std::string& what, const std::string& path)
        : std::runtime_error(what + ": " + path), m_strPath(path) {}

    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};
