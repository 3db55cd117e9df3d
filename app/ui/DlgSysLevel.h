// The "基本設定" page of the system settings sheet: the scanner thread's share
// of the processor and the options of the optimisation and the editor.
#pragma once

#include <QWidget>
#include <memory>

class CSystemSettingsModel;
namespace Ui {
class CDlgSysLevel;
}

class CDlgSysLevel : public QWidget {
    Q_OBJECT

public:
    // The page shows and changes model, which the sheet owns and outlives it.
    explicit CDlgSysLevel(CSystemSettingsModel& model, QWidget* parent = nullptr);
    ~CDlgSysLevel() override;

    // Model values to widgets.
    void LoadValues();
    // Widgets to model values.
    void ApplyValues();

private:
    void OnRestoreDefaults();

    CSystemSettingsModel& m_model;
    std::unique_ptr<Ui::CDlgSysLevel> m_ui;
};
