// A file of a moment: new and uniquely named beside another path, recorded as
// temporary so that a signal ending the process removes it too, and removed
// when its owner ends unless it was renamed over another file.
#pragma once

#include <memory>
#include <string>

#include "util/FileHandle.h"

class CTemporaryFile {
public:
    // Creates the file beside path (TemporaryPatternBeside), open for writing.
    // Throws CFileException naming path when it cannot be made: the caller
    // never chose the temporary name.
    explicit CTemporaryFile(const std::string& beside);
    CTemporaryFile(const CTemporaryFile&) = delete;
    CTemporaryFile& operator=(const CTemporaryFile&) = delete;
    ~CTemporaryFile();

    const std::string& Path() const { return m_strPath; }
    // Open for writing until Close; failures throw naming Path().
    const CFileHandle& File() const { return *m_file; }
    // A failed close throws: it can be the first report of a lost write.
    void Close() { m_file->CloseChecked(); }
    // Renames the file over target: 0, or the errno of the failed rename (the
    // file then stays, to be removed at the end).
    int RenameOver(const std::string& target);

private:
    std::string m_strPath;
    std::unique_ptr<CFileHandle> m_file;
    bool m_bRenamed = false;
};
