#pragma once
// Windows-style locale ids (LCID) computed from POSIX locale names, for choosing a language pack.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace trovel {

constexpr uint32_t kLcidJapanese = 0x0411;
constexpr uint32_t kLcidEnglishUs = 0x0409;

// "ja_JP.UTF-8" -> 0x0411, "en_GB" -> 0x0809, "en" -> 0x0409; 0 for an unknown language or for
// the C and POSIX locales. Case-insensitive; the encoding (".UTF-8") and modifier ("@euro") are
// ignored, and "-" may stand for "_".
uint32_t lcidFromLocaleName(std::string_view name);

// Reads an environment variable; nullopt when it is not set.
using EnvLookup = std::function<std::optional<std::string>(const char* name)>;
EnvLookup processEnvironment();

// The user's locale id: the language override (from "--lang", else TROVEL_LANG, else the site's
// language) when it names a known language, else the first set of LC_ALL, LC_MESSAGES and LANG.
uint32_t userLocaleId(std::string_view langOption, const EnvLookup& env, std::string_view siteLanguage = {});

// The "--lang X" or "--lang=X" value of a command line (arguments after the program name); empty
// when not given.
std::string languageOption(int argc, const char* const* argv);

// A locale id written as in qx_edit_r_resource.ini: the characters after the first two ("0x0411")
// read as four digits, where "0".."9" are 0..9, letters are 10..35 and anything else is 0; a text
// that ends before four digits gives 0.
uint32_t parseLocaleIdText(std::u16string_view text);

}  // namespace trovel
