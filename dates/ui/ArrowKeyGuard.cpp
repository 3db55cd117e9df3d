#include "dates/ui/ArrowKeyGuard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>

namespace {

bool IsArrowKey(const QEvent& event) {
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease) {
        return false;
    }
    const int key = static_cast<const QKeyEvent&>(event).key();
    return key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down;
}

}  // namespace

// On the application, so that controls the calendar creates for itself are
// covered as well.
CArrowKeyGuard::CArrowKeyGuard(const QWidget& dialog) : m_dialog(dialog) {
    QApplication::instance()->installEventFilter(this);
}

CArrowKeyGuard::~CArrowKeyGuard() {
    QApplication::instance()->removeEventFilter(this);
}

// Qt already hands a key to the focused control first. Buttons are the only
// controls that answer an arrow by passing the focus on, so their arrows are
// swallowed, press and release. Every other control keeps both halves: a
// spin box held on an arrow goes on stepping until it sees the release.
bool CArrowKeyGuard::eventFilter(QObject* watched, QEvent* event) {
    if (!IsArrowKey(*event)) {
        return false;
    }
    const auto* button = qobject_cast<const QAbstractButton*>(watched);
    return button != nullptr && button->window() == &m_dialog;
}
