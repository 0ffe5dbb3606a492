#pragma once
// The pictures of the main toolbar's buttons, drawn in code so they need no words and follow no
// language: a page, a folder, a disk, turning arrows, scissors, two pages, a clipboard, a play
// sign and a download arrow onto the robot.

#include <QIcon>

namespace trovel {

// 36 x 41 picture for a toolbar command id; a plain tile for an id without a picture.
QIcon toolbarIcon(int commandId);

}  // namespace trovel
