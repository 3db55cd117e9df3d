#include "app/RecentFileList.h"

#include <QSettings>

namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString EntryKey(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

CRecentFileList::CRecentFileList(int size, QObject* parent) : QObject(parent), m_nSize(size) {
    QSettings settings(QStringLiteral("marvoke"), QStringLiteral("KestrinJPEG"));
    settings.beginGroup(kGroup);
    for (int i = 0; i < m_nSize; ++i) {
        const QString path = settings.value(EntryKey(i)).toString();
        if (!path.isEmpty()) {
            m_paths.append(path);
        }
    }
}

void CRecentFileList::Add(const QString& path) {
    m_paths.removeAll(path);
    m_paths.prepend(path);
    while (m_paths.size() > m_nSize) {
        m_paths.removeLast();
    }
    Store();
    emit Changed();
}

void CRecentFileList::Remove(int index) {
    if (index < 0 || index >= m_paths.size()) {
        return;
    }
    m_paths.removeAt(index);
    Store();
    emit Changed();
}

void CRecentFileList::Store() const {
    QSettings settings(QStringLiteral("marvoke"), QStringLiteral("KestrinJPEG"));
    settings.beginGroup(kGroup);
    for (int i = 0; i < m_nSize; ++i) {
        if (i < m_paths.size()) {
            settings.setValue(EntryKey(i), m_paths[i]);
        } else {
            settings.remove(EntryKey(i));
        }
    }
}
