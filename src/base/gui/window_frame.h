#pragma once
// How the studio's windows look to the window manager: the program icon, and dialogs framed
// without minimise and maximise buttons.

#include <QIcon>

class QWidget;

namespace trovel {

// The studio's icon (a flowchart on a blue tile) at the sizes the package installs.
QIcon applicationIcon();

// A modal dialog's frame: title and, unless `closeBox` is false, a close button; nothing else.
void setDialogFrame(QWidget* dialog, bool closeBox = true);

}  // namespace trovel
