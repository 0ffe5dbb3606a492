#pragma once
// The settings kept in qx_def.ini: saved options, motor settings, fonts and a few values that are
// only read and written back.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace trovel {

// A font as the chart and the status label describe it (the fields of a Windows LOGFONT).
struct FontSetting {
    int32_t height = -14;     // pixels; negative = character height
    int32_t width = 0;        // 0 = natural width
    int32_t escapement = 0;   // tenths of a degree
    int32_t orientation = 0;  // saved in the escapement's place and read back into both
    int32_t weight = 700;     // 0..1000, 700 = bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = 128;      // 128 = Shift-JIS
    uint8_t outPrecision = 3;   // stroke
    uint8_t clipPrecision = 2;  // stroke
    uint8_t quality = 1;
    uint8_t pitchAndFamily = 0x31;          // fixed pitch, modern family
    std::u16string face = u"MS UI Gothic";  // at most kMaxFaceChars
    friend bool operator==(const FontSetting&, const FontSetting&) = default;
};

constexpr size_t kMaxFaceChars = 31;

// Style number of the font lines: strike-out bit 0, underline bit 1, italic bit 2.
int fontStyleBits(const FontSetting& font);
void setFontStyleBits(FontSetting& font, int bits);

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr int kLeftMotor = 0;
constexpr int kRightMotor = 1;

struct Settings {
    uint32_t options = 0;                      // the saved bits of OptionFlags (Option::SavedMask)
    std::array<uint8_t, 2> motorSpeed{0, 0};   // robot motor speed, percent 0..100, [left, right]
    std::array<uint8_t, 2> motorSecond{0, 0};  // second value per motor, written back unchanged
    std::array<uint8_t, 2> simGain{152, 152};  // simulator motor gain 0..255, [left, right]
    uint8_t motSpeed = 0;                      // written back unchanged
    std::array<uint8_t, 2> buzzer{0, 0};       // written back unchanged
    uint8_t dio = 0;                           // written back unchanged
    uint16_t cpu = 0;                          // written back unchanged
    FontSetting chartFont{};
    Rgb chartTextColor{0, 0, 159};
    FontSetting statusFont = defaultStatusFont();
    int32_t statusLabelWidth = 96;  // pixels, 0..kMaxStatusLabelWidth
    int32_t gridX = 9, gridY = 9;   // placement grid, pixels; not saved

    static FontSetting defaultStatusFont() {
        FontSetting f;
        f.height = -27;
        return f;
    }
    friend bool operator==(const Settings&, const Settings&) = default;
};

constexpr int32_t kMaxStatusLabelWidth = 4096;

enum class SettingsStatus {
    Loaded,
    CannotOpen,  // start-up must fail
};

struct SettingsLoadResult {
    SettingsStatus status = SettingsStatus::CannotOpen;
    int ignoredRecords = 0;  // records left at their previous values because a field could not be read
    bool ok() const { return status == SettingsStatus::Loaded; }
};

// Reads qx_def.ini into `settings`, which should hold the defaults. A record is taken only when
// every field of it reads; numbers are clamped to their field's range; option bits outside
// Option::SavedMask are dropped. When the file cannot be opened `settings` is unchanged.
SettingsLoadResult loadSettings(const std::filesystem::path& path, Settings& settings);

// Rewrites qx_def.ini completely; the previous file stays when writing fails. Options are masked
// with Option::SavedMask.
bool saveSettings(const std::filesystem::path& path, const Settings& settings);
// The text saveSettings writes, with LF line ends.
std::u16string settingsFileText(const Settings& settings);

}  // namespace trovel
