#include "app/app_config.h"

#include "base/app_folder.h"
#include "base/string_ids.h"

namespace trovel {

StartupResult loadAppFolder(const std::filesystem::path& folder, uint32_t localeId, AppConfig& config) {
    return loadAppFolders({folder, folder, {}}, localeId, config);
}

std::vector<std::u16string_view> userFileNames() { return {kSettingsFile, u"record.dat"}; }

StartupResult loadAppFolders(const AppFolders& folders, uint32_t localeId, AppConfig& config) {
    const std::filesystem::path& folder = folders.shared;
    StartupResult result;
    AppConfig loaded;
    loaded.resources = chooseResourceLibrary(resolveDataPath(kResourceListFile, folder), localeId, folder);

    auto fail = [&] {
        result.messages.push_back({StartupMessage::Kind::Error, resString(Str::StartupFailed)});
        config = AppConfig{};
        config.resources = loaded.resources;
        return result;
    };

    SkinResult skin = loadSkin(resolveDataPath(kSkinFile, folder), folder);
    if (skin.status == SkinStatus::ImageUnreadable)
        result.messages.push_back({StartupMessage::Kind::Error, skin.message});
    if (!skin.ok()) return fail();
    if (skin.tooFew) result.messages.push_back({StartupMessage::Kind::Warning, skin.message});
    loaded.skin = std::move(skin.images);
    // Pictures with words come from the language pack's folder when it has its own.
    for (SkinEntry& entry : loaded.skin) {
        const std::filesystem::path own = packFile(loaded.resources, entry.file.lexically_relative(folder), entry.file);
        if (own == entry.file) continue;
        const BitmapInfo info = checkBitmapFile(own);
        if (info.ok) entry = {own, info};
    }

    // Shipped defaults, then the site's records over them, then the user's own: a site file may
    // hold only the records it changes. Only the site's file may be missing or unreadable.
    const std::filesystem::path own = folders.user / std::filesystem::path(kSettingsFile);
    std::error_code ec;
    const bool hasOwn = folders.user != folders.shared && std::filesystem::is_regular_file(own, ec);
    if (!hasOwn && !loadSettings(resolveDataPath(kSettingsFile, folder), loaded.settings).ok()) return fail();
    if (const std::filesystem::path site = siteFile(folders, kSettingsFile); !site.empty())
        loadSettings(site, loaded.settings);
    if (hasOwn && !loadSettings(own, loaded.settings).ok()) return fail();
    const std::filesystem::path names = resolveDataPath(kMemoryNamesFile, folder);
    if (!loadMemoryNames(packFile(loaded.resources, kMemoryNamesFile, names), loaded.memoryNames)) return fail();

    config = std::move(loaded);
    result.ok = true;
    return result;
}

}  // namespace trovel
