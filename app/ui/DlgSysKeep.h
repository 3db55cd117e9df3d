// The "残す情報の設定" page of the system settings sheet: what the optimisation
// keeps of today's phone photos (colour profile, orientation, motion-photo
// video and gain map), none of which the pixel check can see go.
#pragma once

#include <QWidget>
#include <memory>

class CSystemSettingsModel;
namespace Ui {
class CDlgSysKeep;
}

class CDlgSysKeep : public QWidget {
    Q_OBJECT

public:
    // The page shows and changes model, which the sheet owns and outlives it.
    explicit CDlgSysKeep(CSystemSettingsModel& model, QWidget* parent = nullptr);
    ~CDlgSysKeep() override;

    // Model values to widgets.
    void LoadValues();
    // Widgets to model values.
    void ApplyValues();

private:
    void OnRestoreDefaults();

    CSystemSettingsModel& m_model;
    std::unique_ptr<Ui::CDlgSysKeep> m_ui;
};
