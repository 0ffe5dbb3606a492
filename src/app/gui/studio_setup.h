#pragma once
// Turns what start-up read from the application folder into the main window's drawing setup.

#include "app/app_config.h"
#include "app/gui/main_window.h"

namespace trovel {

// A Qt font for a font setting, with the Japanese fallbacks behind its face.
QFont fontFromSetting(const FontSetting& setting);
// Colours, chart font, skin images (diamonds with their key colour made transparent), names.
ChartStyle chartStyleFromConfig(const AppConfig& config);
MainWindowSetup mainWindowSetup(const AppConfig& config, const QString& appDir, const QString& pendingPath);

}  // namespace trovel
