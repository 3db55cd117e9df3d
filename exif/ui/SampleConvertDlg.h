// The "指定した画像を元にJPEG画像を加工します" dialog (resource 150): load a
// sample picture from a phone or camera on the left, register pictures made
// on a PC on the right, and convert them to the sample's layout. A thin view
// over CSampleConversion.
#pragma once

#include <QDialog>
#include <QImage>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "exif/SampleConversion.h"

namespace Ui {
class CSampleConvertDlg;
}

class CSampleConvertDlg : public QDialog {
    Q_OBJECT

public:
    // Asks for existing files under title, one or several; empty on Cancel.
    using FileChooser =
        std::function<QStringList(QWidget* parent, const QString& title, bool several)>;

    // work and exif outlive the dialog.
    CSampleConvertDlg(const CWorkFiles& work, CExifEngine& exif, QWidget* parent = nullptr);
    ~CSampleConvertDlg() override;

    // Replaces the file-open dialogs, for tests.
    void SetFileChooser(FileChooser chooser) { m_chooseFiles = std::move(chooser); }

    const CSampleConversion& Conversion() const { return m_conversion; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnLoadSample();
    void LoadSample(const std::string& path);
    void OnRegister();
    void Register(const std::vector<std::string>& paths);
    void OnRemove();
    void OnConvert();
    void FillList();
    void UpdateControls();

    std::unique_ptr<Ui::CSampleConvertDlg> m_ui;
    CSampleConversion m_conversion;
    FileChooser m_chooseFiles;
    // The last sample's preview as drawn in the left area; null before one.
    QImage m_sampleImage;
};
