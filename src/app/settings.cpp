#include "app/settings.h"

#include <algorithm>

#include "base/message_format.h"
#include "model/option_flags.h"
#include "model/text_record_file.h"

namespace trovel {

namespace {

constexpr long long kMaxFontSize = 4096;  // pixels; larger fonts are clamped
constexpr long long kMaxEscapement = 3600;

// A decimal integer with optional spaces around it and an optional sign; saturates far beyond
// any field's range.
bool parseInteger(std::u16string_view text, long long& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    size_t digits = 0;
    long long v = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        if (v < 1'000'000'000'000LL) v = v * 10 + (text[i] - u'0');
        ++i;
        ++digits;
    }
    while (i < text.size() && text[i] == u' ') ++i;
    if (digits == 0 || i != text.size()) return false;
    value = negative ? -v : v;
    return true;
}

// Reads the fields of one record in order; any field that cannot be read spoils the record.
class RecordReader {
public:
    RecordReader(std::u16string_view line, size_t from) : m_line(line), m_pos(from) {}

    template <typename T>
    void number(T& out, long long lo, long long hi) {
        long long v = 0;
        if (!nextNumber(v)) return;
        out = static_cast<T>(std::clamp(v, lo, hi));
    }
    void text(std::u16string& out, size_t maxChars) {
        if (!m_ok) return;
        std::u16string t;
        size_t next = nextTextField(m_line, m_pos, t);
        if (next == std::u16string_view::npos || t.empty()) {
            m_ok = false;
            return;
        }
        m_pos = next;
        if (t.size() > maxChars) t.resize(maxChars);
        out = std::move(t);
    }
    void color(Rgb& out) {
        if (!m_ok) return;
        std::u16string t;
        size_t next = nextField(m_line, m_pos, t);
        if (next == std::u16string_view::npos) {
            m_ok = false;
            return;
        }
        m_pos = next;
        std::u16string_view rest = t;
        uint8_t parts[3] = {};
        for (int k = 0; k < 3; ++k) {
            size_t comma = k < 2 ? rest.find(u',') : rest.size();
            long long v = 0;
            if (comma == std::u16string_view::npos || !parseInteger(rest.substr(0, comma), v)) {
                m_ok = false;
                return;
            }
            parts[k] = static_cast<uint8_t>(std::clamp(v, 0LL, 255LL));
            rest = k < 2 ? rest.substr(comma + 1) : std::u16string_view();
        }
        out = {parts[0], parts[1], parts[2]};
    }
    bool ok() const { return m_ok; }

private:
    bool nextNumber(long long& v) {
        if (!m_ok) return false;
        std::u16string t;
        size_t next = nextField(m_line, m_pos, t);
        if (next == std::u16string_view::npos || !parseInteger(t, v)) {
            m_ok = false;
            return false;
        }
        m_pos = next;
        return true;
    }

    std::u16string_view m_line;
    size_t m_pos;
    bool m_ok = true;
};

// The fields the two font records share, in file order up to the weight.
void readFontHead(RecordReader& r, FontSetting& f) {
    r.number(f.height, -kMaxFontSize, kMaxFontSize);
    r.number(f.width, 0, kMaxFontSize);
    r.number(f.escapement, -kMaxEscapement, kMaxEscapement);
    f.orientation = f.escapement;
    r.number(f.quality, 0, 255);
    r.number(f.pitchAndFamily, 0, 255);
    r.number(f.charSet, 0, 255);
    r.number(f.outPrecision, 0, 255);
    r.number(f.clipPrecision, 0, 255);
    r.number(f.weight, 0, 1000);
}

void readStyle(RecordReader& r, FontSetting& f) {
    int bits = 0;
    r.number(bits, 0, 255);
    setFontStyleBits(f, bits);
}

// Applies one line to `s`; returns the number of records on it that could not be read.
int applyLine(std::u16string_view line, Settings& s) {
    int ignored = 0;
    auto record = [&](std::u16string_view key, auto read) {
        size_t at = line.find(key);
        if (at == std::u16string_view::npos) return;
        Settings copy = s;
        RecordReader r(line, at + key.size());
        if (read(r, copy) && r.ok()) s = std::move(copy);
        else if (!r.ok()) ++ignored;
    };
    record(u"_FLAG:", [](RecordReader& r, Settings& c) {
        long long word = 0;
        r.number(word, -2147483648LL, 4294967295LL);
        // State bits (connected, transfer running, simulator open...) never come from a file.
        c.options = static_cast<uint32_t>(word) & Option::SavedMask;
        return true;
    });
    record(u"_MY_MOTGAIN:", [](RecordReader& r, Settings& c) {
        r.number(c.simGain[kLeftMotor], 0, 255);
        r.number(c.simGain[kRightMotor], 0, 255);
        return true;
    });
    record(u"_BUZER_SETTING:", [](RecordReader& r, Settings& c) {
        r.number(c.buzzer[0], 0, 255);
        r.number(c.buzzer[1], 0, 255);
        return true;
    });
    record(u"_DIO_SETTING:", [](RecordReader& r, Settings& c) {
        r.number(c.dio, 0, 255);
        return true;
    });
    record(u"_CPU_SETTING:", [](RecordReader& r, Settings& c) {
        r.number(c.cpu, 0, 65535);
        return true;
    });
    record(u"_MOT_SPEED:", [](RecordReader& r, Settings& c) {
        r.number(c.motSpeed, 0, 255);
        return true;
    });
    record(u"_DCMOTOR_SETTING:", [](RecordReader& r, Settings& c) {
        long long motor = -1;
        r.number(motor, -1, 2);
        uint8_t second = 0, percent = 0;
        r.number(second, 0, 255);
        r.number(percent, 0, 100);
        if (!r.ok() || (motor != kLeftMotor && motor != kRightMotor)) return false;
        c.motorSecond[motor] = second;
        c.motorSpeed[motor] = percent;
        return true;
    });
    record(u"_FONT:", [](RecordReader& r, Settings& c) {
        readFontHead(r, c.chartFont);
        r.color(c.chartTextColor);
        readStyle(r, c.chartFont);
        r.text(c.chartFont.face, kMaxFaceChars);
        return true;
    });
    record(u"_CNFNT:", [](RecordReader& r, Settings& c) {
        readFontHead(r, c.statusFont);
        readStyle(r, c.statusFont);
        r.text(c.statusFont.face, kMaxFaceChars);
        r.number(c.statusLabelWidth, 0, kMaxStatusLabelWidth);
        return true;
    });
    return ignored;
}

}  // namespace

int fontStyleBits(const FontSetting& font) {
    return (font.strikeOut ? 1 : 0) | (font.underline ? 2 : 0) | (font.italic ? 4 : 0);
}

void setFontStyleBits(FontSetting& font, int bits) {
    font.strikeOut = bits & 1;
    font.underline = bits & 2;
    font.italic = bits & 4;
}

SettingsLoadResult loadSettings(const std::filesystem::path& path, Settings& settings) {
    SettingsLoadResult result;
    TextRecordFile file;
    if (!file.open(path, u"r")) return result;
    Settings loaded = settings;
    std::u16string line;
    while (file.readLine(line, kRecordLineChars) > 0) result.ignoredRecords += applyLine(line, loaded);
    settings = std::move(loaded);
    result.status = SettingsStatus::Loaded;
    return result;
}

std::u16string settingsFileText(const Settings& s) {
    auto font = [](const FontSetting& f) {
        return formatMessage(u"[%d]-[%d]-[%d]-[%d]-[%d]-[%d]-[%d]-[%d]-[%d]",
                             {f.height, f.width, f.orientation, int(f.quality), int(f.pitchAndFamily), int(f.charSet),
                              int(f.outPrecision), int(f.clipPrecision), f.weight});
    };
    std::u16string text = u"\n";
    text += formatMessage(u"_FLAG:[%d]\n", {static_cast<int>(s.options & Option::SavedMask)});
    text += formatMessage(u"_MOT_SPEED:[%d]\n", {int(s.motSpeed)});
    for (int m : {kLeftMotor, kRightMotor})
        text += formatMessage(u"_DCMOTOR_SETTING:[%d]-[%d]-[%d]\n", {m, int(s.motorSecond[m]), int(s.motorSpeed[m])});
    text += formatMessage(u"_MY_MOTGAIN:[%d]-[%d]\n", {int(s.simGain[kLeftMotor]), int(s.simGain[kRightMotor])});
    text += u"\n";
    text += formatMessage(u"_BUZER_SETTING:[%d]-[%d]\n", {int(s.buzzer[0]), int(s.buzzer[1])});
    text += formatMessage(u"_DIO_SETTING:[%d]\n", {int(s.dio)});
    text += formatMessage(u"_CPU_SETTING:[%d]\n", {int(s.cpu)});
    text += u"\n";
    text += u"_FONT:" + font(s.chartFont) +
            formatMessage(u"-[%d,%d,%d]-[%d]-[[%s]]\n",
                          {int(s.chartTextColor.red), int(s.chartTextColor.green), int(s.chartTextColor.blue),
                           fontStyleBits(s.chartFont), s.chartFont.face});
    text += u"\n";
    text += u"_CNFNT:" + font(s.statusFont) +
            formatMessage(u"-[%d]-[[%s]]-[%d]\n", {fontStyleBits(s.statusFont), s.statusFont.face, s.statusLabelWidth});
    return text;
}

bool saveSettings(const std::filesystem::path& path, const Settings& settings) {
    TextRecordFile file;
    if (!file.open(path, u"w")) return false;
    file.writeText(settingsFileText(settings));
    return file.close();
}

}  // namespace trovel
