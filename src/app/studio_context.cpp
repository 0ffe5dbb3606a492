#include "app/studio_context.h"

namespace trovel {

StartupResult loadStudioContext(StudioContext& context, uint32_t localeId) {
    StartupResult result = loadAppFolders(context.folders, localeId, context.config);
    if (!result.ok) return result;
    const uint32_t state = context.options.bits() & ~Option::SavedMask;
    context.options.reset(state | context.config.settings.options);
    return result;
}

bool saveAppSettings(StudioContext& context) {
    // A relative "qx_def.ini" would land wherever the process happens to run.
    if (context.folders.user.empty()) return false;
    Settings& settings = context.config.settings;
    settings.options = context.options.bits() & Option::SavedMask;
    return saveSettings(context.folders.user / std::filesystem::path(kSettingsFile), settings);
}

}  // namespace trovel
