// The "作成日・更新日・ｱｸｾｽ日の一括変更" dialog (resource 140): a modeless
// window that gives every file dropped on it, of any type, the moment picked
// in it. "終了" only hides it, so the moment is still there next time.
#pragma once

#include <memory>

#include "dates/FileDateBatch.h"
#include "dates/ui/DateTimeDlg.h"

namespace Ui {
class CBatchFileDateDlg;
}

class CBatchFileDateDlg : public CDateTimeDlg {
    Q_OBJECT

public:
    // Starts at the current date and time; settings outlive the dialog.
    CBatchFileDateDlg(const CSettingsStore& settings, QWidget* parent);
    ~CBatchFileDateDlg() override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ApplyTo(const std::vector<std::string>& paths);

    std::unique_ptr<Ui::CBatchFileDateDlg> m_ui;
    CFileDateBatch m_batch;
};
