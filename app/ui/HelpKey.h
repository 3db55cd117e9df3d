// F1 opens the help at the part about the window in front, in every window
// of the program, modal dialogs too.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

// The anchor of the help's section about window's kind, or about the page in
// front where that page has one; "contents" for a window the help has no
// section of its own for.
QString HelpAnchorFor(const QWidget* window);

class CHelpKey : public QObject {
public:
    // open is called with the anchor of the active window on each F1.
    CHelpKey(std::function<void(const QString& anchor)> open, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> m_open;
};
