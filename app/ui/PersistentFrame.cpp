#include "app/ui/PersistentFrame.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdint>
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

// The stored rectangle is the window's inside: room is left for the frame and
// title bar the window system draws around it.
constexpr QMargins kFrameAllowance(8, 40, 8, 8);

// The free area, less the frame's allowance, of the screen that rect overlaps
// most; nothing when it is on no screen (one that is gone).
std::optional<QRect> ScreenAreaOf(const QRect& rect) {
    std::optional<QRect> area;
    int64_t largestOverlap = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect overlap = screen->geometry().intersected(rect);
        const int64_t size = int64_t{overlap.width()} * overlap.height();
        if (size > largestOverlap) {
            largestOverlap = size;
            area = screen->availableGeometry().marginsRemoved(kFrameAllowance);
        }
    }
    return area;
}

// rect moved and shrunk into area: a size saved on a large screen would
// otherwise put the window's edges out of reach on a small one.
QRect FittedInto(const QRect& rect, const QRect& area) {
    QRect fitted(rect.topLeft(), rect.size().boundedTo(area.size()));
    fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() + 1 - fitted.height()));
    return fitted;
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
    const std::optional<QRect> stored = ParseNormalRect(m_settings.Read(settings::kWindowRect));
    const std::optional<QRect> area =
        stored && stored->isValid() ? ScreenAreaOf(*stored) : std::nullopt;
    if (area) {
        setGeometry(FittedInto(*stored, *area));
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // No usable place stored: the default size, where the window system
        // puts it, if it fits the main screen.
        resize(
            size().boundedTo(screen->availableGeometry().marginsRemoved(kFrameAllowance).size()));
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
