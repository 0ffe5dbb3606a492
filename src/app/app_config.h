#pragma once
// Everything read from the application folder at start-up, and the start-up sequence that reads it.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app_folder.h"
#include "base/memory_names.h"
#include "base/resource_library.h"
#include "app/settings.h"
#include "editor/skin.h"

namespace trovel {

constexpr std::u16string_view kSettingsFile = u"qx_def.ini";
constexpr std::u16string_view kMemoryNamesFile = u"memname.ini";
constexpr std::u16string_view kSkinFile = u"skin.ini";
constexpr std::u16string_view kResourceListFile = u"qx_edit_r_resource.ini";

struct AppConfig {
    Settings settings;
    MemoryNames memoryNames;
    std::vector<SkinEntry> skin;  // image number = index
    ResourceChoice resources;
};

struct StartupMessage {
    enum class Kind { Error, Warning };
    Kind kind;
    std::u16string text;
};

struct StartupResult {
    bool ok = false;                       // false: show the messages, then exit
    std::vector<StartupMessage> messages;  // in the order they are to be shown
};

// Start-up in order: the language pack for `localeId`, the defaults, skin.ini, qx_def.ini,
// memname.ini, all in `folder`. On success `config` holds what was read, the saved option bits
// among its settings; on failure the messages end with the start-up failure text and `config` is
// left at its defaults.
StartupResult loadAppFolder(const std::filesystem::path& folder, uint32_t localeId, AppConfig& config);
// The same with qx_def.ini read from the user folder when it holds one.
StartupResult loadAppFolders(const AppFolders& folders, uint32_t localeId, AppConfig& config);

// The files the studio rewrites, seeded into a new user folder from the shared defaults.
std::vector<std::u16string_view> userFileNames();

}  // namespace trovel
