#include "app/ui/ToolBarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "app/ResourceIds.h"

namespace {

constexpr int kIconSize = 32;

const QColor kOutline(40, 40, 40);
const QColor kFolder(236, 196, 84);
const QColor kPaper(250, 250, 250);
const QColor kDisk(54, 96, 170);
const QColor kHelp(40, 120, 60);

void DrawPage(QPainter& painter, const QRect& page) {
    painter.setBrush(kPaper);
    painter.drawRect(page);
    for (int y = page.top() + 5; y < page.bottom() - 2; y += 4) {
        painter.drawLine(page.left() + 3, y, page.right() - 3, y);
    }
}

void DrawOpen(QPainter& painter) {
    painter.setBrush(kFolder.darker(115));
    painter.drawRect(3, 8, 24, 18);
    painter.drawRect(3, 5, 10, 4);
    QPainterPath front;
    front.moveTo(3, 26);
    front.lineTo(8, 13);
    front.lineTo(30, 13);
    front.lineTo(26, 26);
    front.closeSubpath();
    painter.setBrush(kFolder);
    painter.drawPath(front);
}

void DrawSaveAs(QPainter& painter) {
    painter.setBrush(kDisk);
    painter.drawRect(4, 4, 24, 24);
    painter.setBrush(kPaper);
    painter.drawRect(8, 4, 16, 10);
    painter.setBrush(kDisk.lighter(160));
    painter.drawRect(10, 19, 12, 9);
}

void DrawCopy(QPainter& painter) {
    DrawPage(painter, QRect(3, 3, 16, 20));
    DrawPage(painter, QRect(12, 9, 16, 20));
}

void DrawLetter(QPainter& painter, const QString& letter, const QColor& colour) {
    painter.setBrush(colour);
    painter.drawEllipse(3, 3, 26, 26);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(3, 3, 26, 26), Qt::AlignCenter, letter);
}

}  // namespace

QIcon ToolBarIcon(int commandId) {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kOutline, 1));
    switch (commandId) {
        case ID_FILE_OPEN:
            DrawOpen(painter);
            break;
        case ID_FILE_SAVE_AS_JPEG:
            DrawSaveAs(painter);
            break;
        case ID_EDIT_COPY:
            DrawCopy(painter);
            break;
        case ID_OPTIMISE_WIZARD:
            DrawLetter(painter, QStringLiteral("J"), kFolder.darker(130));
            break;
        case ID_HELP_CONTENTS:
            DrawLetter(painter, QStringLiteral("?"), kHelp);
            break;
        case ID_APP_ABOUT:
            DrawLetter(painter, QStringLiteral("i"), kDisk);
            break;
        default:
            return {};
    }
    painter.end();
    return QIcon(pixmap);
}
