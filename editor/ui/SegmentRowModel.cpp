#include "editor/ui/SegmentRowModel.h"

#include "util/TextHelpers.h"

namespace {

enum EColumn { kCodeColumn, kDataColumn, kSizeColumn, kColumnCount };

// The data column is 430 pixels wide: a scan's whole entropy-coded data
// as text would cost megabytes per row and show the same first characters.
constexpr size_t kShownDataCharacters = 2 * 512;

}  // namespace

CSegmentRowModel::CSegmentRowModel(CMarkerEditor& editor, QIcon icon,
                                   std::function<void()> onStateChanged, QObject* parent)
    : QAbstractTableModel(parent),
      m_editor(editor),
      m_icon(std::move(icon)),
      m_onStateChanged(std::move(onStateChanged)) {
    m_editor.SetListener(this);
}

CSegmentRowModel::~CSegmentRowModel() {
    m_editor.SetListener(nullptr);
}

int CSegmentRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_editor.RowCount();
}

int CSegmentRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CSegmentRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_editor.IsRow(index.row())) {
        return {};
    }
    if (role == Qt::DecorationRole && index.column() == kCodeColumn) {
        return m_icon;
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const CJpegSegment& segment = m_editor.RowSegment(index.row());
    switch (index.column()) {
        case kCodeColumn:
            return QString::fromStdString(segment.m_strCode);
        case kDataColumn:
            return QString::fromStdString(
                HexToDisplayText(segment.m_strData.substr(0, kShownDataCharacters)));
        case kSizeColumn:
            return QString::number(EditorSegmentSize(segment));
        default:
            return {};
    }
}

QVariant CSegmentRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case kCodeColumn:
            return QStringLiteral("JPEGｺｰﾄﾞ");
        case kDataColumn:
            return QStringLiteral("JPEGﾃﾞｰﾀ");
        case kSizeColumn:
            return QStringLiteral("ﾊﾞｲﾄ");
        default:
            return {};
    }
}

QString CSegmentRowModel::RowText(int row) const {
    return m_editor.IsRow(row)
               ? QString::fromStdString(HexToDisplayText(m_editor.RowSegment(row).m_strData))
               : QString();
}

void CSegmentRowModel::OnRowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void CSegmentRowModel::OnStateChanged() {
    if (m_onStateChanged) {
        m_onStateChanged();
    }
}
