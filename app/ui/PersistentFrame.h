// A main window that remembers where it was: the first activation restores
// the normal rectangle and the minimised or maximised state from the section
// "Window size", and destruction stores them there again.
#pragma once

#include <QMainWindow>

class CSettingsStore;

class CPersistentFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CPersistentFrame(CSettingsStore& settings, QWidget* parent = nullptr);
    ~CPersistentFrame() override;

    // Shows the window: the first call with the stored placement, later calls
    // as it is.
    void ActivateFrame();

private:
    void RestorePlacement();
    void SavePlacement();

    CSettingsStore& m_settings;
    bool m_bFirstShowPending = true;
};
