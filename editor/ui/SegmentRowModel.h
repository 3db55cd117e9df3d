// The editor's rows as a table model: code, readable data and size, one icon.
// Texts are made when the view asks for a row, so a list of tens of thousands
// of picture-data rows costs only the rows on screen.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>

#include "editor/MarkerEditor.h"

class CSegmentRowModel : public QAbstractTableModel, public IMarkerEditorListener {
    Q_OBJECT

public:
    // Registers itself as the editor's listener; onStateChanged runs when the
    // counters, enable states or decodability may have changed.
    CSegmentRowModel(CMarkerEditor& editor, QIcon icon, std::function<void()> onStateChanged,
                     QObject* parent = nullptr);
    ~CSegmentRowModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The readable text of a row's data, whole.
    QString RowText(int row) const;

private:
    void OnRowsAboutToBeReset() override { beginResetModel(); }
    void OnRowsReset() override { endResetModel(); }
    void OnRowAboutToBeInserted(int row) override { beginInsertRows({}, row, row); }
    void OnRowInserted() override { endInsertRows(); }
    void OnRowAboutToBeRemoved(int row) override { beginRemoveRows({}, row, row); }
    void OnRowRemoved() override { endRemoveRows(); }
    void OnRowChanged(int row) override;
    void OnStateChanged() override;

    CMarkerEditor& m_editor;
    QIcon m_icon;
    std::function<void()> m_onStateChanged;
};
