// The expert page of the wizard (resource 137): the marker segments of the
// document's file in a list, with commands that delete, zero, add and edit
// segments, undo and redo, and an icon that shows while the rebuilt work copy
// still shows the document's picture. It works on the work copy only; the
// wizard's finish page saves it from the hex work file.
//
// To host it: construct it with the sheet's scanner record, the work files,
// the settings store and the kept-header codes (all outliving the page), call
// SetDocument before the page is shown, and add it as the page after the
// selection page when the third choice is taken. initializePage starts the
// scan; the sheet's Cancel should refuse while IsBusy().
#pragma once

#include <QWizardPage>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/MarkerEditor.h"

namespace Ui {
class CKestrinFF;
}

class CHedScan;
class CSegmentRowModel;
class QMenu;

class CKestrinFF : public QWizardPage {
    Q_OBJECT

public:
    CKestrinFF(CHedThread& record, const CWorkFiles& work, const CSettingsStore& settings,
               const std::vector<std::string>& keptCodes, QWidget* parent = nullptr);
    ~CKestrinFF() override;

    // The file the page works on a copy of, and the picture the document shows.
    void SetDocument(const std::string& path, const CPackedPicture* picture);

    // A yes-or-no question; tests answer it themselves.
    using Asker = std::function<bool(const QString& question)>;
    void SetAsker(Asker asker) { m_fnAsk = std::move(asker); }

    bool IsBusy() const;
    CMarkerEditor& Editor() { return m_editor; }
    // The list's popup menu with its items enabled for the present state; the
    // caller owns it.
    QMenu* BuildPopupMenu();

    void initializePage() override;
    void cleanupPage() override;
    bool isComplete() const override;
    bool validatePage() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetUpList();
    void ConnectCommands();
    void SetToolTips();
    void OnScanFinished(EHedStatus status);
    void UpdateControls();
    void HoldBackButton();
    int SelectedRow() const;
    bool HandleListKey(int key, bool control);

    void OnZero();
    void OnDelete();
    void OnAdd();
    void OnEdit();
    void OnUndo();
    void OnRedo();
    void OnReset();
    void OnRemoveProprietary();
    void OnRedraw();
    void OnShowResult();
    void OnShowAll(bool checked);

    std::unique_ptr<Ui::CKestrinFF> m_ui;
    CHedThread& m_HedThread;
    const CSettingsStore& m_settings;
    const CWorkFiles& m_work;
    CMarkerEditor m_editor;
    CSegmentRowModel* m_pModel = nullptr;
    std::unique_ptr<CHedScan> m_pScan;
    // From the start of the scan until its end was handled.
    bool m_bBusy = false;
    std::string m_strSourcePath;
    size_t m_nExifPosition = 0;
    Asker m_fnAsk;
};
