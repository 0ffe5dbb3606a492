#include "base/gui/window_frame.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace trovel {

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/trovel-studio.png").arg(size), QSize(size, size));
    return icon;
}

void setDialogFrame(QWidget* dialog, bool closeBox) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (closeBox) flags |= Qt::WindowCloseButtonHint;
    dialog->setWindowFlags(flags);
}

QSize fitOnScreen(const QWidget* window, QSize content, int chrome) {
    const QScreen* screen = window->screen();
    // At scale 1 the window keeps its designed size; a scaled screen (150 % on a 1280 x 800 laptop)
    // may have too few logical pixels for it.
    if (!screen || content.isEmpty() || screen->devicePixelRatio() <= 1.0) return content + QSize(0, chrome);
    // Title bar and borders are the window manager's: leave them some room.
    const QSize room = screen->availableGeometry().size() - QSize(16, 48 + chrome);
    const double scale =
        std::min({1.0, double(room.width()) / content.width(), double(room.height()) / content.height()});
    const QSize fitted = scale < 1.0 ? (QSizeF(content) * std::max(scale, 0.25)).toSize() : content;
    return fitted + QSize(0, chrome);
}

void placeOnScreen(QWidget* window, QPoint wanted) {
    if (const QScreen* screen = window->screen()) {
        // The frame's own size is unknown before the window is shown: allow for a typical one.
        const QRect area = screen->availableGeometry();
        const int right = area.right() - window->width() - 16, bottom = area.bottom() - window->height() - 48;
        wanted.setX(std::max(area.left(), std::min(wanted.x(), right)));
        wanted.setY(std::max(area.top(), std::min(wanted.y(), bottom)));
    }
    window->move(wanted);
}

bool placeBeside(QWidget* window, QWidget* anchor) {
    const QScreen* screen = anchor->screen();
    if (!screen) return false;
    const QRect area = screen->availableGeometry();
    QRect beside = anchor->frameGeometry();
    // Before the window manager framed the window its frame is unknown: allow for a typical one.
    const QRect frame = window->frameGeometry();
    const int width = frame.width() > window->width() ? frame.width() : window->width() + 16;
    const int height = frame.height() > window->height() ? frame.height() : window->height() + 48;
    if (beside.width() + width > area.width()) return false;
    const int top = std::max(area.top(), std::min(beside.top(), area.bottom() + 1 - height));
    const int overhang = beside.right() + width - area.right();
    if (overhang > 0 && beside.left() - width >= area.left()) {
        window->move(beside.left() - width, top);
        return true;
    }
    if (overhang > 0) {
        anchor->move(anchor->x() - overhang, anchor->y());
        beside.translate(-overhang, 0);
    }
    window->move(beside.right() + 1, top);
    return true;
}

}  // namespace trovel
