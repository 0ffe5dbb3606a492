#pragma once
// Turns what start-up read from the application folder into the main window's drawing setup.

#include "app/app_config.h"
#include "app/gui/main_window.h"
#include "app/studio_context.h"

namespace trovel {

// A Qt font for a font setting, with the Japanese fallbacks behind its face.
QFont fontFromSetting(const FontSetting& setting);
// Colours, chart font, skin images (diamonds with their key colour made transparent), names.
ChartStyle chartStyleFromConfig(const AppConfig& config);
// The window's setup over the studio's context.
MainWindowSetup mainWindowSetup(StudioContext& context, const QString& appDir, const QString& pendingPath);

// The folders for this start: `appDirOption` (--app-dir), $TROVEL_HOME, the executable's place,
// and the user's data folder for the writes when the application folder is shared. A new user
// folder gets the shared default settings and records; when it cannot be made the defaults are
// read from the shared folder and the settings are not kept.
AppFolders startAppFolders(const std::filesystem::path& appDirOption, const std::filesystem::path& executable);
// Where the window's program dialogs start and its lap records go, for `folders`.
void placeUserFiles(MainWindowSetup& setup, const AppFolders& folders);

}  // namespace trovel
