#include "base/gui/window_frame.h"

#include <QWidget>

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

}  // namespace trovel
