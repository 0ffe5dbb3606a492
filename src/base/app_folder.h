#pragma once
// The application folder: where the settings, string packs, skin images and courses live.
// It is "--app-dir DIR" when given, else $TROVEL_HOME, else the installed shared folder
// ../share/trovel-studio beside the executable's folder when there is one, else the executable's
// folder. Every data file name is resolved against it; the process's current directory is never
// changed. What the studio writes goes to the user folder: the application folder itself when it
// was named or is a writable folder of its own, else the user's data folder.
// An installed copy also reads the site folder (/etc/trovel-studio, or $TROVEL_SITE_DIR): the
// administrator's robot.ini, qx_def.ini defaults and site.ini. The user's files override the
// site's, and the site's override the shipped ones.

#include <filesystem>
#include <string_view>
#include <vector>

#include "base/locale_id.h"

namespace trovel {

// The resolution order above; relative folders are made absolute. An empty `fromCommandLine`
// or an empty TROVEL_HOME counts as not given.
std::filesystem::path resolveAppFolder(const std::filesystem::path& fromCommandLine, const EnvLookup& env,
                                       const std::filesystem::path& executable);

// Full path of the running executable (empty when the system cannot tell).
std::filesystem::path executablePath();

// The read-only data of an installed copy, relative to the executable's folder.
constexpr std::string_view kInstalledShareFolder = "../share/trovel-studio";

// The site settings of an installed copy; conffiles of the package, kept across upgrades.
constexpr std::string_view kSiteFolder = "/etc/trovel-studio";

struct AppFolders {
    std::filesystem::path shared;  // read: skins, courses, sounds, language packs, default ini files
    std::filesystem::path user;    // written: settings, lap records; the same as shared in a portable folder
    std::filesystem::path site;    // read: the administrator's settings; empty when there are none
};

// The application folder as above, and where writes go: `userData` (the user's data folder) for
// the installed shared folder, whatever its permissions, and for a folder the user cannot write.
// The site folder is $TROVEL_SITE_DIR when set, else kSiteFolder for an installed copy only: a
// build tree or a named folder stays self-contained.
AppFolders resolveAppFolders(const std::filesystem::path& fromCommandLine, const EnvLookup& env,
                             const std::filesystem::path& executable, const std::filesystem::path& userData);

// The user's data folder of the studio as the desktop sees it: $XDG_DATA_HOME/trovel-studio when
// XDG_DATA_HOME is an absolute path, else ~/.local/share/trovel-studio; empty without a home.
// The studio asks Qt for the same place; trovel-cli, without Qt, asks here.
std::filesystem::path userDataFolder(const EnvLookup& env);

// Creates the user folder and copies into it each named file of the shared folder it does not
// hold yet, except those the site folder holds: the site's defaults are read under the user's
// own settings until the user saves. False when the folder or a copy could not be made (what
// was copied stays).
bool seedUserFolder(const AppFolders& folders, const std::vector<std::u16string_view>& names);

// The file to read for a setting: the user's copy when it has one, else the site's, else the
// shipped default.
std::filesystem::path readableUserFile(const AppFolders& folders, std::u16string_view name);
// The site's copy of a file; empty when there is no site folder or it does not hold the file.
std::filesystem::path siteFile(const AppFolders& folders, std::u16string_view name);

// The teacher's guide and the example programs, as the Help menu opens them.
constexpr std::string_view kTeachersGuideFile = "teachers-guide.md";
constexpr std::string_view kExamplesFolder = "examples";

// Their folder: ../doc/trovel-studio beside the shared folder (/usr/share/doc/trovel-studio of
// an installed copy, build/doc/trovel-studio of a build tree), else the same beside the
// executable's folder (for --app-dir); the first of these when none is there.
std::filesystem::path helpFolder(const std::filesystem::path& shared, const std::filesystem::path& executable);

// A data file name as written in the settings files, made a full path: backslashes become folder
// separators, a relative name is taken inside `base`.
std::filesystem::path resolveDataPath(std::u16string_view name, const std::filesystem::path& base);

}  // namespace trovel
