#include "exif/ui/ExifRows.h"

#include <QStyle>
#include <QTreeWidget>

void AddExifRows(QTreeWidget& list, const std::vector<CExifTagEntry>& entries) {
    const QIcon icon = list.style()->standardIcon(QStyle::SP_FileIcon);
    for (const CExifTagEntry& entry : entries) {
        if (entry.m_strData.empty()) {
            continue;
        }
        auto* item = new QTreeWidgetItem(&list);
        item->setText(0, QString::fromStdString(entry.m_strTag));
        item->setText(1, QString::fromStdString(entry.m_strName));
        item->setText(2, QString::fromStdString(entry.m_strDetail));
        item->setText(3, QString::fromStdString(entry.m_strData));
        item->setIcon(0, icon);
    }
}
