#include "base/locale_id.h"

#include <cstdlib>
#include <cstring>

namespace trovel {

namespace {

struct LocaleEntry {
    const char* name;  // lower case, "ll" or "ll_tt"
    uint32_t lcid;
};

// Languages first by full name, then the language alone (its main country).
constexpr LocaleEntry kLocales[] = {
    {"ja_jp", 0x0411}, {"ja", 0x0411},    {"en_us", 0x0409}, {"en_gb", 0x0809}, {"en_au", 0x0C09}, {"en_ca", 0x1009},
    {"en_nz", 0x1409}, {"en_ie", 0x1809}, {"en_za", 0x1C09}, {"en_in", 0x4009}, {"en_sg", 0x4809}, {"en_ph", 0x3409},
    {"en", 0x0409},    {"de_de", 0x0407}, {"de_at", 0x0C07}, {"de_ch", 0x0807}, {"de", 0x0407},    {"fr_fr", 0x040C},
    {"fr_be", 0x080C}, {"fr_ca", 0x0C0C}, {"fr_ch", 0x100C}, {"fr", 0x040C},    {"es_es", 0x0C0A}, {"es_mx", 0x080A},
    {"es", 0x0C0A},    {"it_it", 0x0410}, {"it", 0x0410},    {"ko_kr", 0x0412}, {"ko", 0x0412},    {"zh_cn", 0x0804},
    {"zh_sg", 0x1004}, {"zh_tw", 0x0404}, {"zh_hk", 0x0C04}, {"zh", 0x0804},    {"pt_br", 0x0416}, {"pt_pt", 0x0816},
    {"pt", 0x0816},    {"nl_nl", 0x0413}, {"nl_be", 0x0813}, {"nl", 0x0413},    {"ru_ru", 0x0419}, {"ru", 0x0419},
    {"pl_pl", 0x0415}, {"pl", 0x0415},    {"sv_se", 0x041D}, {"sv", 0x041D},    {"fi_fi", 0x040B}, {"fi", 0x040B},
    {"da_dk", 0x0406}, {"da", 0x0406},    {"nb_no", 0x0414}, {"nb", 0x0414},    {"no", 0x0414},    {"th_th", 0x041E},
    {"th", 0x041E},    {"vi_vn", 0x042A}, {"vi", 0x042A},    {"id_id", 0x0421}, {"id", 0x0421},
};

std::string normalise(std::string_view name) {
    size_t cut = name.find_first_of(".@");
    if (cut != std::string_view::npos) name = name.substr(0, cut);
    std::string out;
    for (char c : name) {
        if (c == '-') c = '_';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        out += c;
    }
    return out;
}

uint32_t find(std::string_view key) {
    for (const auto& e : kLocales)
        if (key == e.name) return e.lcid;
    return 0;
}

}  // namespace

uint32_t lcidFromLocaleName(std::string_view name) {
    std::string key = normalise(name);
    if (key.empty() || key == "c" || key == "posix") return 0;
    if (uint32_t id = find(key)) return id;
    size_t sep = key.find('_');
    return sep == std::string::npos ? 0 : find(std::string_view(key).substr(0, sep));
}

EnvLookup processEnvironment() {
    return [](const char* name) -> std::optional<std::string> {
        const char* v = std::getenv(name);
        if (!v) return std::nullopt;
        return std::string(v);
    };
}

uint32_t userLocaleId(std::string_view langOption, const EnvLookup& env, std::string_view siteLanguage) {
    if (uint32_t id = lcidFromLocaleName(langOption)) return id;
    if (auto v = env("TROVEL_LANG")) {
        if (uint32_t id = lcidFromLocaleName(*v)) return id;
    }
    if (uint32_t id = lcidFromLocaleName(siteLanguage)) return id;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        auto v = env(name);
        if (v && !v->empty()) return lcidFromLocaleName(*v);
    }
    return 0;
}

std::string languageOption(int argc, const char* const* argv) {
    std::string value;
    for (int i = 1; i < argc && argv[i]; ++i) {
        std::string_view a = argv[i];
        if (a == "--lang" && i + 1 < argc && argv[i + 1]) value = argv[++i];
        else if (a.rfind("--lang=", 0) == 0) value = std::string(a.substr(7));
    }
    return value;
}

uint32_t parseLocaleIdText(std::u16string_view text) {
    if (text.size() < 6) return 0;
    uint32_t value = 0;
    for (size_t i = 2; i < 6; ++i) {
        char16_t c = text[i];
        uint32_t d = 0;
        if (c >= u'0' && c <= u'9') d = c - u'0';
        else if (c >= u'A' && c <= u'Z') d = 10 + (c - u'A');
        else if (c >= u'a' && c <= u'z') d = 10 + (c - u'a');
        value = value * 16 + d;
    }
    return value;
}

}  // namespace trovel
