#include "base/gui/user_folders.h"

#include <QDir>
#include <QStandardPaths>

namespace trovel {

QString documentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

}  // namespace trovel
