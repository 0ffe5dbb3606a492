#include "base/app_folder.h"

#include <unistd.h>

#include <system_error>

#include "model/text_convert.h"

namespace trovel {

namespace {

std::filesystem::path absoluteOf(const std::filesystem::path& p) {
    std::error_code ec;
    std::filesystem::path a = std::filesystem::absolute(p, ec);
    return (ec ? p : a).lexically_normal();
}

}  // namespace

std::filesystem::path resolveAppFolder(const std::filesystem::path& fromCommandLine, const EnvLookup& env,
                                       const std::filesystem::path& executable) {
    if (!fromCommandLine.empty()) return absoluteOf(fromCommandLine);
    if (auto home = env("TROVEL_HOME"); home && !home->empty()) return absoluteOf(*home);
    const std::filesystem::path bin = absoluteOf(executable).parent_path();
    const std::filesystem::path installed = (bin / kInstalledShareFolder).lexically_normal();
    std::error_code ec;
    return std::filesystem::is_directory(installed, ec) ? installed : bin;
}

AppFolders resolveAppFolders(const std::filesystem::path& fromCommandLine, const EnvLookup& env,
                             const std::filesystem::path& executable, const std::filesystem::path& userData) {
    const std::filesystem::path shared = resolveAppFolder(fromCommandLine, env, executable);
    const bool named = !fromCommandLine.empty() || !env("TROVEL_HOME").value_or("").empty();
    const bool installed = !named && shared != absoluteOf(executable).parent_path();
    std::filesystem::path site;
    if (auto given = env("TROVEL_SITE_DIR"); given && !given->empty()) site = absoluteOf(*given);
    else if (installed) site = std::filesystem::path(kSiteFolder);
    // Without a user folder to go to (no home), the folder is used as it was before installs.
    if (named || userData.empty()) return {shared, shared, site};
    // A packaged copy is never written to, even by an administrator who could.
    if (!installed && ::access(shared.c_str(), W_OK) == 0) return {shared, shared, site};
    return {shared, absoluteOf(userData), site};
}

std::filesystem::path userDataFolder(const EnvLookup& env) {
    const std::filesystem::path app = "trovel-studio";
    if (auto data = env("XDG_DATA_HOME"); data && !data->empty() && std::filesystem::path(*data).is_absolute())
        return std::filesystem::path(*data) / app;
    if (auto home = env("HOME"); home && !home->empty()) return std::filesystem::path(*home) / ".local" / "share" / app;
    return {};
}

bool seedUserFolder(const AppFolders& folders, const std::vector<std::u16string_view>& names) {
    if (folders.user == folders.shared) return true;
    std::error_code ec;
    std::filesystem::create_directories(folders.user, ec);
    if (ec) return false;
    bool ok = true;
    for (std::u16string_view name : names) {
        const std::filesystem::path from = folders.shared / std::filesystem::path(name);
        const std::filesystem::path to = folders.user / std::filesystem::path(name);
        if (std::filesystem::exists(to, ec) || !std::filesystem::is_regular_file(from, ec)) continue;
        if (!siteFile(folders, name).empty()) continue;
        // A copy cut short must not pass for the user's file on the next start.
        const std::filesystem::path part = to.string() + ".part";
        if (!std::filesystem::copy_file(from, part, std::filesystem::copy_options::overwrite_existing, ec)) {
            std::filesystem::remove(part, ec);
            ok = false;
            continue;
        }
        // Installed files are read-only; the user's copy is the user's to rewrite.
        std::filesystem::permissions(part, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::rename(part, to, ec);
        if (ec) {
            std::filesystem::remove(part, ec);
            ok = false;
        }
    }
    return ok;
}

std::filesystem::path readableUserFile(const AppFolders& folders, std::u16string_view name) {
    const std::filesystem::path own = folders.user / std::filesystem::path(name);
    std::error_code ec;
    if (std::filesystem::is_regular_file(own, ec)) return own;
    if (std::filesystem::path site = siteFile(folders, name); !site.empty()) return site;
    return folders.shared / std::filesystem::path(name);
}

std::filesystem::path siteFile(const AppFolders& folders, std::u16string_view name) {
    if (folders.site.empty()) return {};
    const std::filesystem::path file = folders.site / std::filesystem::path(name);
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec) ? file : std::filesystem::path();
}

std::filesystem::path helpFolder(const std::filesystem::path& shared, const std::filesystem::path& executable) {
    const std::filesystem::path bin = absoluteOf(executable).parent_path();
    const std::filesystem::path candidates[] = {
        absoluteOf(shared / "../doc/trovel-studio"),
        absoluteOf(bin / "../share/doc/trovel-studio"),
        absoluteOf(bin / "../doc/trovel-studio"),
    };
    std::error_code ec;
    for (const std::filesystem::path& folder : candidates)
        if (std::filesystem::is_directory(folder, ec)) return folder;
    return candidates[0];
}

std::filesystem::path executablePath() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe;
}

std::filesystem::path resolveDataPath(std::u16string_view name, const std::filesystem::path& base) {
    std::u16string portable(name);
    for (char16_t& c : portable)
        if (c == u'\\') c = u'/';
    std::filesystem::path p = pathFromText(portable);
    if (p.is_relative()) p = base / p;
    return p.lexically_normal();
}

}  // namespace trovel
