#pragma once
// One way for a window to ask the user: a message box by default, an answer given in its place
// where the window allows it (tests do, as they do for the file chooser).

#include <QMessageBox>
#include <QString>

#include <functional>

namespace trovel {

struct Question {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

// Returns the button the user pressed.
using Asker = std::function<QMessageBox::StandardButton(const Question&)>;

// The studio's message box: `caption` as its title, window-modal over `parent` (other windows
// go on meanwhile), in the dialog frame.
QMessageBox::StandardButton askInBox(QWidget* parent, const QString& caption, const Question& question,
                                     const QString& objectName = {});

}  // namespace trovel
