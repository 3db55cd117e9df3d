// The system settings sheet: the user settings on three pages, read when it
// opens and written together on OK. Cancel writes nothing.
#pragma once

#include <QDialog>

#include "settings/SystemSettingsModel.h"

class CSettingsStore;
class CDlgSysLevel;
class CDlgSysExif;
class CDlgSysKeep;
class QTabWidget;

class CSysProSeet : public QDialog {
    Q_OBJECT

public:
    // Reads the settings from settings, which must outlive the sheet.
    explicit CSysProSeet(CSettingsStore& settings, QWidget* parent = nullptr);

    // Writes the settings once the batch page, if it is the one showing,
    // lets itself be left.
    void accept() override;

private:
    void OnPageChanged(int index);

    CSettingsStore& m_settings;
    CSystemSettingsModel m_model;
    QTabWidget* m_pTabs = nullptr;
    CDlgSysLevel* m_pLevelPage = nullptr;
    CDlgSysExif* m_pExifPage = nullptr;
    CDlgSysKeep* m_pKeepPage = nullptr;
    // The page showing before the current change, to check the one being left.
    int m_nShownPage = 0;
};
