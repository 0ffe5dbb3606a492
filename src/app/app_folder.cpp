#include "app/app_folder.h"

#include <mutex>
#include <system_error>

#include "model/text_convert.h"

namespace trovel {

namespace {

std::mutex& folderMutex() {
    static std::mutex m;
    return m;
}

std::filesystem::path& folderSlot() {
    static std::filesystem::path folder = executablePath().parent_path();
    return folder;
}

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
    return absoluteOf(executable).parent_path();
}

std::filesystem::path executablePath() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe;
}

void initAppFolder(const std::filesystem::path& fromCommandLine) {
    setAppFolder(resolveAppFolder(fromCommandLine, processEnvironment(), executablePath()));
}

void setAppFolder(const std::filesystem::path& folder) {
    std::lock_guard lock(folderMutex());
    folderSlot() = folder;
}

std::filesystem::path ModuleDirectory() {
    std::lock_guard lock(folderMutex());
    return folderSlot();
}

std::filesystem::path resolveDataPath(std::u16string_view name, const std::filesystem::path& base) {
    std::u16string portable(name);
    for (char16_t& c : portable)
        if (c == u'\\') c = u'/';
    std::filesystem::path p = pathFromText(portable);
    if (p.is_relative()) p = base / p;
    return p.lexically_normal();
}

std::filesystem::path appFilePath(std::u16string_view name) { return resolveDataPath(name, ModuleDirectory()); }

}  // namespace trovel
