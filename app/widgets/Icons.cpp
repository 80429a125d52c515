#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {

// An icon at 16 and 32 pixels, drawn on a 16 by 16 grid.
QIcon drawnIcon(const std::function<void(QPainter &)> &draw) {
    QIcon icon;
    for (const int side : {16, 32}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / 16.0, side / 16.0);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon checkMarkIcon() {
    return drawnIcon([](QPainter &painter) {
        QPainterPath tick;
        tick.moveTo(2.5, 8.5);
        tick.lineTo(6.5, 12.5);
        tick.lineTo(13.5, 3.5);
        painter.setPen(QPen(QColor(0, 100, 0), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
        painter.setPen(QPen(QColor(40, 170, 40), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
    });
}

QIcon printerIcon() {
    return drawnIcon([](QPainter &painter) {
        const QColor outline(60, 60, 60);
        painter.setPen(QPen(outline, 1.0));
        // The sheet going in at the top, the body, the sheet coming out.
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(4.5, 1.5, 7, 5));
        painter.setBrush(QColor(150, 150, 155));
        painter.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(4.5, 10.5, 7, 4));
        painter.setPen(QPen(QColor(120, 120, 120), 1.0));
        painter.drawLine(QPointF(6, 12.5), QPointF(10, 12.5));
        // The power light.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(40, 170, 40));
        painter.drawEllipse(QPointF(12.5, 8.5), 0.9, 0.9);
    });
}
