#pragma once
// Where a user's own files go when nothing says otherwise.

#include <QString>

namespace trovel {

// The user's documents folder when it exists, else the home folder.
QString documentsFolder();

}  // namespace trovel
