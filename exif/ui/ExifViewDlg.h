// The "Exif情報の表示ｳｨﾝﾄﾞｩ" dialog (resource 209): the Exif values of one
// file, one row per dictionary entry that the decode gave a value, in a list
// that fills the window below a 40-pixel band. A click on a column header
// sorts by that column's text, the other way round on the next click.
#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <string>

class CExifEngine;
namespace Ui {
class CExifViewDlg;
}

class CExifViewDlg : public QDialog {
    Q_OBJECT

public:
    explicit CExifViewDlg(QWidget* parent = nullptr);
    ~CExifViewDlg() override;

    // Decodes path with exif and lists the values. False, with the message
    // shown, when the file cannot be opened or carries no decodable Exif.
    bool ShowFile(CExifEngine& exif, const std::string& path);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnHeaderClicked(int column);

    std::unique_ptr<Ui::CExifViewDlg> m_ui;
    // Per column: the next click sorts in ascending order while it is true.
    std::array<bool, 4> m_ascendingNext{true, true, true, true};
};
