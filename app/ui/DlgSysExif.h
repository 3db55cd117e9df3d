// The "連続処理の設定" page of the system settings sheet: the names the batches
// give their results and Exif backups, and whether they save and overwrite.
#pragma once

#include <QMessageBox>
#include <QWidget>
#include <functional>
#include <memory>

class CSystemSettingsModel;
namespace Ui {
class CDlgSysExif;
}

class CDlgSysExif : public QWidget {
    Q_OBJECT

public:
    // Shows text with buttons and returns the one chosen; a message box
    // unless a test answers instead.
    using AskFunction = std::function<QMessageBox::StandardButton(
        const QString& text, QMessageBox::StandardButtons buttons)>;

    // The page shows and changes model, which the sheet owns and outlives it.
    explicit CDlgSysExif(CSystemSettingsModel& model, QWidget* parent = nullptr);
    ~CDlgSysExif() override;

    // Model values to widgets.
    void LoadValues();
    // Widgets to model values.
    void ApplyValues();
    // Takes the values and checks the output name before the page is left
    // (page change or OK). False keeps the page open: the user declined an
    // empty name, or the name holds a forbidden character (focus is then on it).
    bool CanLeave();

    void SetAsk(AskFunction ask) { m_fnAsk = std::move(ask); }

private:
    void OnSaveExifClicked();
    void OnRestoreDefaults();
    void UpdateEnabling();

    CSystemSettingsModel& m_model;
    std::unique_ptr<Ui::CDlgSysExif> m_ui;
    AskFunction m_fnAsk;
};
