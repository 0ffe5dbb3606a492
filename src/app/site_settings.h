#pragma once
// site.ini in the site folder: what an administrator sets for every user of a machine. Plain
// UTF-8 text, one "key = value" a line; lines starting with # or ; are comments, unknown keys
// are skipped so a newer file still reads.
//   language = en             the studio's language when neither --lang nor TROVEL_LANG is given
//   handin_folder = /srv/x    the default folder pupils hand work in to (an absolute path)

#include <filesystem>
#include <string>

namespace trovel {

constexpr std::u16string_view kSiteSettingsFile = u"site.ini";

struct SiteSettings {
    std::string language;                // a locale name as --lang takes it; empty when not set
    std::filesystem::path handInFolder;  // empty when not set or not an absolute path
    friend bool operator==(const SiteSettings&, const SiteSettings&) = default;
};

// The settings of `path`; the defaults when the file is missing, unreadable or too large to be
// a settings file.
SiteSettings loadSiteSettings(const std::filesystem::path& path);
// The same from the file's text.
SiteSettings parseSiteSettings(std::string_view text);

}  // namespace trovel
