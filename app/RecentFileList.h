// The recent-file list of the window program: the last four files opened,
// newest first, kept with QSettings in the group "Recent File List" as
// "File1" to "File4".
#pragma once

#include <QObject>
#include <QStringList>

class CRecentFileList : public QObject {
    Q_OBJECT

public:
    // Reads the stored list.
    explicit CRecentFileList(int size, QObject* parent = nullptr);

    // Puts path first; an entry already in the list moves up, the oldest
    // falls off the end. Stored at once.
    void Add(const QString& path);
    // Drops the entry at index (a file that could no longer be opened).
    void Remove(int index);

    const QStringList& Paths() const { return m_paths; }

signals:
    void Changed();

private:
    void Store() const;

    int m_nSize;
    QStringList m_paths;
};
