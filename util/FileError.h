// The one exception type for operating-system failures during a file operation.
// It is caught at the boundary of a user command (the window's command guard,
// a command-line verb). Inside the core only a function whose contract is a
// typed result for that failure catches it, and its comment says so. Its
// text is the message the user is shown: the path and the cause, in Japanese.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

#include "util/FileFailure.h"

class CFileException : public std::runtime_error {
public:
    // systemError is the errno of the failed call, kept for an unknown cause.
    CFileException(const std::string& path, EFileFailure cause, int systemError = 0)
        : std::runtime_error(FileFailureMessage(path, cause, systemError)),
          m_strPath(path),
          m_cause(cause),
          m_nSystemError(systemError) {}
    // From the errno of the failed call.
    CFileException(const std::string& path, int systemError)
        : CFileException(path, FileFailureOf(systemError), systemError) {}

    const std::string& Path() const { return m_strPath; }
    EFileFailure Cause() const { return m_cause; }
    int SystemError() const { return m_nSystemError; }

private:
    std::string m_strPath;
    EFileFailure m_cause;
    int m_nSystemError;
};

// What the window tells the user about an exception that ended a command or
// the start: a file failure's own message, anything else in general words.
std::string ErrorTextFor(const std::exception& error);
