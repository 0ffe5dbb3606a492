#include "app/gui/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace trovel {

namespace {

const QColor kInk(40, 52, 80);
const QColor kPaper(255, 255, 255);
const QColor kBlue(70, 130, 220);
const QColor kGreen(60, 170, 90);
const QColor kYellow(245, 200, 70);
const QColor kRed(220, 70, 60);

void page(QPainter& p, QRectF r, QColor fill) {
    QPainterPath path;
    const qreal fold = 7;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(fill);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void turningArrow(QPainter& p, bool back) {
    QPainterPath arc;
    const QRectF circle(9, 12, 18, 18);
    arc.arcMoveTo(circle, back ? 20 : 160);
    arc.arcTo(circle, back ? 20 : 160, back ? 220 : -220);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlue, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arc);
    const QPointF tip = back ? QPointF(8, 12) : QPointF(28, 12);
    const qreal dir = back ? 1 : -1;
    QPolygonF head({tip + QPointF(0, -5), tip + QPointF(dir * 8, 2), tip + QPointF(-dir * 2, 6)});
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(head);
}

void draw(QPainter& p, Command id) {
    p.setPen(QPen(kInk, 1.5));
    switch (id) {
    case Command::New:
        page(p, QRectF(9, 6, 18, 26), kPaper);
        p.setPen(QPen(kGreen, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(27, 26), QPointF(27, 36));
        p.drawLine(QPointF(22, 31), QPointF(32, 31));
        break;
    case Command::Open: {
        p.setBrush(kYellow.darker(115));
        p.drawRect(QRectF(5, 11, 24, 20));
        QPolygonF front({{9, 17}, {32, 17}, {28, 31}, {5, 31}});
        p.setBrush(kYellow);
        p.drawPolygon(front);
        break;
    }
    case Command::Save:
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(7, 8, 22, 24), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(11, 8, 14, 9));
        p.setBrush(kInk);
        p.drawRect(QRectF(11, 22, 14, 10));
        break;
    case Command::Undo: turningArrow(p, true); break;
    case Command::Redo: turningArrow(p, false); break;
    case Command::Cut:
        p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 7), QPointF(22, 25));
        p.drawLine(QPointF(24, 7), QPointF(14, 25));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kRed, 2.5));
        p.drawEllipse(QPointF(12, 29), 4.5, 4.5);
        p.drawEllipse(QPointF(24, 29), 4.5, 4.5);
        break;
    case Command::Copy:
        page(p, QRectF(6, 6, 16, 21), kPaper);
        page(p, QRectF(14, 13, 16, 21), QColor(225, 235, 255));
        break;
    case Command::Paste:
        p.setBrush(QColor(190, 140, 80));
        p.drawRoundedRect(QRectF(7, 9, 22, 26), 2, 2);
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(13, 6, 10, 6), 2, 2);
        page(p, QRectF(12, 15, 14, 17), kPaper);
        break;
    case Command::Simulator: {
        p.setBrush(kGreen);
        p.drawEllipse(QRectF(5, 6, 26, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        p.drawPolygon(QPolygonF({{14, 12}, {25, 19}, {14, 26}}));
        break;
    }
    case Command::WriteProgram:
        // An arrow down into the robot.
        p.setBrush(QColor(230, 235, 245));
        p.drawRoundedRect(QRectF(7, 22, 22, 13), 3, 3);
        p.setBrush(kRed);
        p.drawEllipse(QPointF(13, 28), 2, 2);
        p.drawEllipse(QPointF(23, 28), 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRect(QRectF(15, 4, 6, 10));
        p.drawPolygon(QPolygonF({{10, 13}, {26, 13}, {18, 21}}));
        break;
    default:
        p.setBrush(QColor(220, 225, 235));
        p.drawRoundedRect(QRectF(4, 5, 28, 28), 4, 4);
        break;
    }
}

}  // namespace

QIcon toolbarIcon(Command command) {
    QPixmap pixmap(36, 41);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, command);
    p.end();
    return QIcon(pixmap);
}

}  // namespace trovel
