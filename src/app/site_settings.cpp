#include "app/site_settings.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace trovel {

namespace {

// Bigger than any hand-written settings file; a larger one is not read at all.
constexpr std::uintmax_t kMaxSiteFileBytes = 64 * 1024;

std::string_view trimmed(std::string_view s) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && space(s.front())) s.remove_prefix(1);
    while (!s.empty() && space(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

SiteSettings parseSiteSettings(std::string_view text) {
    SiteSettings site;
    // A UTF-8 byte-order mark left by an editor.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = trimmed(line.substr(0, eq));
        const std::string_view value = trimmed(line.substr(eq + 1));
        if (value.find('\0') != std::string_view::npos) continue;
        if (key == "language") {
            site.language = value;
        } else if (key == "handin_folder") {
            const std::filesystem::path folder(value);
            site.handInFolder = folder.is_absolute() ? folder.lexically_normal() : std::filesystem::path();
        }
    }
    return site;
}

SiteSettings loadSiteSettings(const std::filesystem::path& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return {};
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxSiteFileBytes) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    return parseSiteSettings(text);
}

}  // namespace trovel
