#pragma once
// The pictures of the main toolbar's buttons, drawn in code so they need no words and follow no
// language: a page, a folder, a disk, turning arrows, scissors, two pages, a clipboard, a play
// sign and a download arrow onto the robot.

#include <QIcon>

#include "app/gui/studio_command.h"

namespace trovel {

// 36 x 41 picture for a toolbar command; a plain tile for a command without a picture.
QIcon toolbarIcon(Command command);

}  // namespace trovel
