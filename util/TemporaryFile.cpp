#include "util/TemporaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "util/DebrisSweep.h"
#include "util/FileError.h"
#include "util/TemporaryPaths.h"

CTemporaryFile::CTemporaryFile(const std::string& beside)
    : m_strPath(TemporaryPatternBeside(beside)) {
    const int fd = CreateTemporaryFile(m_strPath);
    if (fd < 0) {
        throw CFileException(beside, errno);
    }
    ::close(fd);
    m_file = std::make_unique<CFileHandle>(m_strPath, O_WRONLY);
    if (!m_file->IsOpen()) {
        const int error = errno;
        RemoveTemporary(m_strPath);
        throw CFileException(beside, error);
    }
}

CTemporaryFile::~CTemporaryFile() {
    m_file.reset();
    if (!m_bRenamed) {
        RemoveTemporary(m_strPath);
    }
}

int CTemporaryFile::RenameOver(const std::string& target) {
    const int error = RenameTemporaryOver(m_strPath, target);
    m_bRenamed = error == 0;
    return error;
}
