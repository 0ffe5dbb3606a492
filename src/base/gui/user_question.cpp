#include "base/gui/user_question.h"

#include "base/gui/window_frame.h"

namespace trovel {

QMessageBox::StandardButton askInBox(QWidget* parent, const QString& caption, const Question& question,
                                     const QString& objectName) {
    QMessageBox box(question.icon, caption, question.text, question.buttons, parent);
    if (!objectName.isEmpty()) box.setObjectName(objectName);
    setDialogFrame(&box);
    box.setWindowModality(Qt::WindowModal);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace trovel
