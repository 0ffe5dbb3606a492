#pragma once
// How the studio's windows look to the window manager: the program icon, and dialogs framed
// without minimise and maximise buttons.

#include <QIcon>
#include <QPoint>
#include <QSize>

class QWidget;

namespace trovel {

// The studio's icon (a flowchart on a blue tile) at the sizes the package installs.
QIcon applicationIcon();

// A modal dialog's frame: title and, unless `closeBox` is false, a close button; nothing else.
void setDialogFrame(QWidget* dialog, bool closeBox = true);

// A window's first size: `content` plus `chrome` (menus, tool and status bars) below it. On a scaled
// screen the content is scaled down evenly (never up) until the window fits with room for its frame.
QSize fitOnScreen(const QWidget* window, QSize content, int chrome = 0);

// Moves `window` to `wanted`, or as near to it as keeps the whole window on its screen.
void placeOnScreen(QWidget* window, QPoint wanted);

// Moves `window` beside `anchor` (right of it, else left of it) when its screen has room for both
// side by side, moving `anchor` aside as far as that needs; false, and nothing moved, when it has not.
bool placeBeside(QWidget* window, QWidget* anchor);

}  // namespace trovel
