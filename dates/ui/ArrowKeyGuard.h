// Keeps the arrow keys from moving the focus between the controls of one
// dialog, so that they always act on the focused control (the calendar
// moves its selection with them). Works from construction to destruction.
#pragma once

#include <QObject>

class QWidget;

class CArrowKeyGuard : public QObject {
public:
    explicit CArrowKeyGuard(const QWidget& dialog);
    ~CArrowKeyGuard() override;
    CArrowKeyGuard(const CArrowKeyGuard&) = delete;
    CArrowKeyGuard& operator=(const CArrowKeyGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const QWidget& m_dialog;
};
