#include "app/ui/PersistentFrame.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "settings/SettingsStore.h"

namespace {

// The number at position of text, read as far as it goes; 0 past the end.
int NumberAt(const std::string& text, size_t position) {
    return position < text.size() ? std::atoi(text.c_str() + position) : 0;
}

// "Rect" holds left, top, right and bottom as "%04d %04d %04d %04d", read at
// character positions 0, 5, 10 and 15. Nothing when it is empty.
std::optional<QRect> ParseNormalRect(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const QPoint topLeft(NumberAt(text, 0), NumberAt(text, 5));
    const QPoint bottomRightOutside(NumberAt(text, 10), NumberAt(text, 15));
    return QRect(topLeft,
                 QSize(bottomRightOutside.x() - topLeft.x(), bottomRightOutside.y() - topLeft.y()));
}

std::string FormatNormalRect(const QRect& rect) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d %04d %04d %04d", rect.left(), rect.top(),
                  rect.left() + rect.width(), rect.top() + rect.height());
    return text;
}

// A rectangle left on a screen that is gone would open the window out of
// reach; the window system would move such a window back into view.
bool IsOnSomeScreen(const QRect& rect) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry().intersects(rect)) {
            return true;
        }
    }
    return false;
}

}  // namespace

CPersistentFrame::CPersistentFrame(CSettingsStore& settings, QWidget* parent)
    : QMainWindow(parent), m_settings(settings) {}

CPersistentFrame::~CPersistentFrame() {
    SavePlacement();
}

void CPersistentFrame::ActivateFrame() {
    if (m_bFirstShowPending) {
        m_bFirstShowPending = false;
        RestorePlacement();
        return;
    }
    show();
    activateWindow();
}

void CPersistentFrame::RestorePlacement() {
    const std::optional<QRect> rect = ParseNormalRect(m_settings.Read(settings::kWindowRect));
    if (rect && rect->isValid() && IsOnSomeScreen(*rect)) {
        setGeometry(*rect);
    }
    const bool minimised = m_settings.Read(settings::kWindowIcon) != 0;
    const bool maximised = m_settings.Read(settings::kWindowMax) != 0;
    if (minimised) {
        // Minimised without taking the focus; restored from the task bar it
        // comes back maximised when it was.
        setAttribute(Qt::WA_ShowWithoutActivating);
        setWindowState(maximised ? Qt::WindowMinimized | Qt::WindowMaximized : Qt::WindowMinimized);
        show();
    } else if (maximised) {
        showMaximized();
    } else {
        showNormal();
    }
}

void CPersistentFrame::SavePlacement() {
    const Qt::WindowStates state = windowState();
    const bool minimised = state.testFlag(Qt::WindowMinimized);
    const bool maximised = state.testFlag(Qt::WindowMaximized);
    m_settings.Write(settings::kWindowRect, FormatNormalRect(normalGeometry()));
    m_settings.Write(settings::kWindowIcon, minimised ? 1 : 0);
    m_settings.Write(settings::kWindowMax, maximised ? 1 : 0);
}
