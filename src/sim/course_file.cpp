#include "sim/course_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "base/string_ids.h"
#include "model/portable_bits.h"
#include "model/text_convert.h"
#include "sim/course_picture.h"
#include "sim/sim_world.h"

namespace trovel {

namespace {

constexpr double kMaxHeading = 360;
constexpr int kMaxOffLineTicks = 1000000;
constexpr uint8_t kUtf8Bom[] = {0xEF, 0xBB, 0xBF};

// ---- Text -------------------------------------------------------------------------------------

// The byte offset of the first invalid UTF-8 sequence (overlong forms, surrogates and values past
// U+10FFFF count as invalid), or npos when all is valid.
size_t invalidUtf8At(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const uint8_t c = uint8_t(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        uint32_t cp = 0, min = 0;
        if ((c & 0xE0) == 0xC0) extra = 1, cp = c & 0x1F, min = 0x80;
        else if ((c & 0xF0) == 0xE0) extra = 2, cp = c & 0x0F, min = 0x800;
        else if ((c & 0xF8) == 0xF0) extra = 3, cp = c & 0x07, min = 0x10000;
        else return i;
        if (i + size_t(extra) >= s.size()) return i;
        for (int k = 1; k <= extra; ++k) {
            const uint8_t t = uint8_t(s[i + size_t(k)]);
            if ((t & 0xC0) != 0x80) return i;
            cp = cp << 6 | (t & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
        i += size_t(extra) + 1;
    }
    return std::string_view::npos;
}

int lineAtByte(std::string_view s, size_t at) {
    return 1 + int(std::count(s.begin(), s.begin() + std::ptrdiff_t(std::min(at, s.size())), '\n'));
}

// The file's text as UTF-16; false with the line of the first fault.
bool decodeText(const std::vector<uint8_t>& bytes, std::u16string& text, int& badLine) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text.clear();
        badLine = 1;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const char16_t c = char16_t(bytes[i] | bytes[i + 1] << 8);
            text.push_back(c);
            if (c == u'\n') ++badLine;
        }
        // Unpaired surrogates are no text.
        int line = 1;
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c == u'\n') ++line;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                ++i;
                continue;
            }
            if (c >= 0xD800 && c <= 0xDFFF) {
                badLine = line;
                return false;
            }
        }
        return true;
    }
    std::string_view s(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (s.size() >= 3 && std::memcmp(s.data(), kUtf8Bom, 3) == 0) s.remove_prefix(3);
    if (const size_t bad = invalidUtf8At(s); bad != std::string_view::npos) {
        badLine = lineAtByte(s, bad);
        return false;
    }
    text = fromUtf8(s);
    return true;
}

// The text's first characters after a byte-order mark, as ASCII (non-ASCII as '?'): enough to
// tell a course file from a foreign one before decoding it.
std::string leadingAscii(const std::vector<uint8_t>& bytes, size_t count) {
    std::string out;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        for (size_t i = 2; i + 1 < bytes.size() && out.size() < count; i += 2)
            out += bytes[i + 1] == 0 && bytes[i] < 0x80 ? char(bytes[i]) : '?';
        return out;
    }
    size_t i = bytes.size() >= 3 && std::memcmp(bytes.data(), kUtf8Bom, 3) == 0 ? 3 : 0;
    for (; i < bytes.size() && out.size() < count; ++i) out += bytes[i] < 0x80 ? char(bytes[i]) : '?';
    return out;
}

struct Token {
    std::u16string text;
    bool quoted = false;
};

// Words separated by blanks; "..." holds blanks, \" and \\; '#' outside quotes ends the line.
// False for a quote left open or an unknown escape.
bool tokenize(std::u16string_view line, std::vector<Token>& tokens) {
    tokens.clear();
    size_t i = 0;
    while (i < line.size()) {
        const char16_t c = line[i];
        if (c == u' ' || c == u'\t' || c == u'\r') {
            ++i;
            continue;
        }
        if (c == u'#') break;
        Token t;
        if (c == u'"') {
            t.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char16_t d = line[i++];
                if (d == u'"') {
                    closed = true;
                    break;
                }
                if (d == u'\\') {
                    if (i >= line.size() || (line[i] != u'"' && line[i] != u'\\')) return false;
                    t.text += line[i++];
                    continue;
                }
                t.text += d;
            }
            if (!closed) return false;
        } else {
            while (i < line.size() && line[i] != u' ' && line[i] != u'\t' && line[i] != u'\r' && line[i] != u'"' &&
                   line[i] != u'#')
                t.text += line[i++];
        }
        tokens.push_back(std::move(t));
    }
    return true;
}

std::optional<double> realOf(const Token& t) {
    if (t.quoted || t.text.empty() || t.text.size() > 64) return std::nullopt;
    std::string ascii;
    for (char16_t c : t.text) {
        if (c >= 0x80) return std::nullopt;
        ascii += char(c);
    }
    double value = 0;
    const char* begin = ascii.data();
    if (*begin == '+') ++begin;  // from_chars takes no plus sign
    auto [end, ec] = parseDouble(begin, ascii.data() + ascii.size(), value);
    if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<int> intOf(const Token& t) {
    if (t.quoted || t.text.empty() || t.text.size() > 16) return std::nullopt;
    std::string ascii;
    for (char16_t c : t.text) {
        if (c >= 0x80) return std::nullopt;
        ascii += char(c);
    }
    int value = 0;
    const char* begin = ascii.data();
    if (*begin == '+') ++begin;
    auto [end, ec] = std::from_chars(begin, ascii.data() + ascii.size(), value);
    if (ec != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
    return value;
}

bool insideField(const CourseRect& r) {
    const CourseRect n = normalised(r);
    return n.x1 >= -kWorldHalfWidth && n.x2 <= kWorldHalfWidth && n.y1 >= -kWorldHalfHeight && n.y2 <= kWorldHalfHeight;
}

// The same test the judging makes (strict, single precision), for the robot at the start pose.
bool startOverlaps(double x, double y, float r, const CourseRect& area) {
    const CourseRect n = normalised(area);
    const float hw = (n.x2 - n.x1) / 2, hh = (n.y2 - n.y1) / 2;
    const float cx = n.x1 + hw, cy = n.y1 + hh;
    return std::fabs(float(x) - cx) < hw + r && std::fabs(float(y) - cy) < hh + r;
}

// ---- Reading ----------------------------------------------------------------------------------

class Parser {
public:
    Parser(CourseDesign& d, float robotHalf) : m_d(d), m_robotHalf(robotHalf) {}

    CourseFileResult run(const std::u16string& text) {
        size_t from = 0;
        int number = 0;
        bool ended = false;
        std::vector<Token> tokens;
        while (from <= text.size()) {
            size_t lf = text.find(u'\n', from);
            if (lf == std::u16string::npos) lf = text.size();
            const std::u16string_view line(text.data() + from, lf - from);
            // A last line without its line end that does not read is a file cut off in it.
            const bool cutOff = lf == text.size() && !line.empty();
            from = lf + 1;
            ++number;
            for (char16_t c : line)
                if (c < 0x20 && c != u'\t' && c != u'\r') return fault(CourseFileError::BadText, number);
            if (!tokenize(line, tokens))
                return fault(cutOff ? CourseFileError::Truncated : CourseFileError::BadValue, cutOff ? 0 : number);
            if (number == 1) {
                if (CourseFileResult r = header(tokens); !r.ok()) return r;
                continue;
            }
            if (tokens.empty()) continue;
            if (ended) return fault(CourseFileError::AfterEnd, number);
            if (!tokens[0].quoted && tokens[0].text == u"end" && tokens.size() == 1) {
                ended = true;
                continue;
            }
            if (CourseFileResult r = body(tokens, number); !r.ok())
                return cutOff ? fault(CourseFileError::Truncated, 0) : r;
        }
        if (!ended) return fault(CourseFileError::Truncated, 0);
        return finish();
    }

private:
    static CourseFileResult fault(CourseFileError e, int line) { return {e, line, 0, 0}; }

    CourseFileResult header(const std::vector<Token>& t) {
        if (t.empty() || t[0].quoted || t[0].text != u"TROVEL-COURSE") return fault(CourseFileError::NotCourseFile, 1);
        const std::optional<int> version = t.size() == 2 ? intOf(t[1]) : std::nullopt;
        if (!version || *version < 1) return fault(CourseFileError::BadValue, 1);
        if (*version > kCourseFileVersion) return {CourseFileError::NewerVersion, 1, *version, 0};
        return {};
    }

    // The numbers after the word: `count` of them, or one more (a stroke width) when `width`.
    bool reals(const std::vector<Token>& t, size_t count, bool width, std::vector<double>& out, double& w) {
        if (t.size() != count + 1 && !(width && t.size() == count + 2)) return false;
        out.clear();
        for (size_t i = 1; i <= count; ++i) {
            const std::optional<double> v = realOf(t[i]);
            if (!v || std::fabs(*v) > kMaxDrawingCoordinate) return false;
            out.push_back(*v);
        }
        w = kDefaultLineWidth;
        if (t.size() == count + 2) {
            const std::optional<double> v = realOf(t[count + 1]);
            if (!v || *v <= 0 || *v > kMaxLineWidth) return false;
            w = *v;
        }
        return true;
    }

    static bool rect(const std::vector<Token>& t, CourseRect& r) {
        if (t.size() != 5) return false;
        int v[4];
        for (size_t i = 0; i < 4; ++i) {
            const std::optional<int> n = intOf(t[i + 1]);
            if (!n || std::abs(*n) > int(kMaxDrawingCoordinate)) return false;
            v[i] = *n;
        }
        r = {float(v[0]), float(v[1]), float(v[2]), float(v[3])};
        return true;
    }

    static bool name(const std::vector<Token>& t, std::u16string& out, size_t maxChars) {
        if (t.size() != 2 || !t[1].quoted || t[1].text.empty() || t[1].text.size() > maxChars) return false;
        out = t[1].text;
        return true;
    }

    bool once(const std::u16string& word) {
        if (std::find(m_seen.begin(), m_seen.end(), word) != m_seen.end()) return false;
        m_seen.push_back(word);
        return true;
    }

    void rule(int number) {
        if (m_firstRuleLine == 0) m_firstRuleLine = number;
    }

    CourseFileResult body(const std::vector<Token>& t, int number) {
        if (t[0].quoted) return fault(CourseFileError::UnknownLine, number);
        const std::u16string& word = t[0].text;
        static const char16_t* const kOnce[] = {u"name-ja",     u"name-en", u"start",     u"course-flags",
                                                u"picture",     u"goal",    u"forbidden", u"stop-in-goal",
                                                u"sensor-rule", u"off-line"};
        if (std::any_of(std::begin(kOnce), std::end(kOnce), [&](const char16_t* w) { return word == w; }) &&
            !once(word))
            return fault(CourseFileError::Repeated, number);
        const CourseFileResult bad = fault(CourseFileError::BadValue, number);
        std::vector<double> v;
        double w = 0;

        if (word == u"name-ja") return name(t, m_d.nameJa, kMaxCourseNameChars) ? CourseFileResult{} : bad;
        if (word == u"name-en") return name(t, m_d.nameEn, kMaxCourseNameChars) ? CourseFileResult{} : bad;
        if (word == u"picture") return name(t, m_d.picture, kMaxPathChars) ? CourseFileResult{} : bad;
        if (word == u"start") {
            if (!reals(t, 3, false, v, w) || std::fabs(v[2]) > kMaxHeading) return bad;
            m_d.startX = v[0];
            m_d.startY = v[1];
            m_d.startHeading = v[2];
            m_hasStart = true;
            if (std::fabs(v[0]) > kWorldHalfWidth || std::fabs(v[1]) > kWorldHalfHeight)
                return fault(CourseFileError::StartOutsideField, number);
            return {};
        }
        if (word == u"course-flags") {
            for (size_t i = 1; i < t.size(); ++i) {
                if (t[i].quoted) return bad;
                if (t[i].text == u"fixed") m_d.courseFlags |= CourseFlag::NotMovable;
                else if (t[i].text == u"fixed-while-paused") m_d.courseFlags |= CourseFlag::NotMovableWhilePaused;
                else if (t[i].text == u"return-to-start") m_d.courseFlags |= CourseFlag::PlayReturnsToStart;
                else return bad;
            }
            return {};
        }
        if (word == u"line" || word == u"arc" || word == u"curve" || word == u"box") {
            CourseElement e;
            if (word == u"line") {
                if (!reals(t, 4, true, v, w)) return bad;
            } else if (word == u"arc") {
                if (!reals(t, 5, true, v, w) || v[2] <= 0 || v[4] == 0 || std::fabs(v[4]) > 360) return bad;
                e.kind = CourseElementKind::Arc;
            } else if (word == u"curve") {
                if (!reals(t, 8, true, v, w)) return bad;
                e.kind = CourseElementKind::Curve;
            } else {
                if (!reals(t, 4, false, v, w)) return bad;
                e.kind = CourseElementKind::Box;
            }
            m_ink += ink(e.kind, v, w);
            if (m_d.elements.size() >= kMaxCourseElements || m_ink > kMaxDrawingInk)
                return fault(CourseFileError::TooManyElements, number);
            e.v = v;
            e.width = w;
            m_d.elements.push_back(std::move(e));
            return {};
        }
        if (word == u"goal") {
            if (!rect(t, m_d.goal)) return bad;
            if (!insideField(m_d.goal)) return fault(CourseFileError::GoalOutsideField, number);
            m_d.judgingFlags |= JudgeFlag::Timed;
            return {};
        }
        if (word == u"checkpoint") {
            CourseRect r;
            if (!rect(t, r)) return bad;
            if (m_d.checkpoints.size() >= kMaxCheckpoints) return fault(CourseFileError::TooManyCheckpoints, number);
            m_d.checkpoints.push_back(r);
            if (!insideField(r))
                return {CourseFileError::CheckpointOutsideField, number, 0, int(m_d.checkpoints.size())};
            m_d.judgingFlags |= JudgeFlag::Checkpoints;
            rule(number);
            return {};
        }
        if (word == u"forbidden") {
            if (!rect(t, m_d.forbidden)) return bad;
            m_d.judgingFlags |= JudgeFlag::Forbidden;
            rule(number);
            return {};
        }
        if (word == u"stop-in-goal" || word == u"sensor-rule") {
            if (t.size() != 1) return bad;
            m_d.judgingFlags |= word == u"stop-in-goal" ? JudgeFlag::StopInGoal : 0x02;
            rule(number);
            return {};
        }
        if (word == u"off-line") {
            const std::optional<int> threshold = t.size() == 3 ? intOf(t[1]) : std::nullopt;
            const std::optional<int> ticks = t.size() == 3 ? intOf(t[2]) : std::nullopt;
            if (!threshold || !ticks || *threshold < 0 || *threshold > 255 || *ticks < 0 || *ticks > kMaxOffLineTicks)
                return bad;
            m_d.offLineThreshold = *threshold;
            m_d.offLineTicks = *ticks;
            m_d.judgingFlags |= JudgeFlag::OffLine;
            rule(number);
            return {};
        }
        return fault(CourseFileError::UnknownLine, number);
    }

    CourseFileResult finish() {
        if (m_d.nameJa.empty() && m_d.nameEn.empty()) return fault(CourseFileError::NoName, 0);
        if (!m_hasStart) return fault(CourseFileError::NoStart, 0);
        if (m_firstRuleLine && !(m_d.judgingFlags & JudgeFlag::Timed))
            return fault(CourseFileError::RuleWithoutGoal, m_firstRuleLine);
        if ((m_d.judgingFlags & JudgeFlag::Forbidden) &&
            startOverlaps(m_d.startX, m_d.startY, m_robotHalf, m_d.forbidden))
            return fault(CourseFileError::StartInForbiddenArea, 0);
        return {};
    }

    // The drawing cost of an element: its length times its width, or a box's area.
    static double ink(CourseElementKind kind, const std::vector<double>& v, double width) {
        switch (kind) {
        case CourseElementKind::Line: return (std::hypot(v[2] - v[0], v[3] - v[1]) + width) * width;
        case CourseElementKind::Arc: return (v[2] * std::fabs(v[4]) * 3.14159265358979323846 / 180 + width) * width;
        case CourseElementKind::Curve: {
            double around = 0;
            for (size_t i = 0; i + 3 < v.size(); i += 2) around += std::hypot(v[i + 2] - v[i], v[i + 3] - v[i + 1]);
            return (around + width) * width;
        }
        case CourseElementKind::Box:
            return std::min(std::fabs((v[2] - v[0]) * (v[3] - v[1])), 700.0 * 500);  // clipped to the field
        }
        return 0;
    }

    CourseDesign& m_d;
    float m_robotHalf;
    double m_ink = 0;
    bool m_hasStart = false;
    int m_firstRuleLine = 0;
    std::vector<std::u16string> m_seen;
};

// ---- Writing ----------------------------------------------------------------------------------

std::string number(double v) {
    char buffer[32];
    auto [end, ec] = formatShortest(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : "0";
}

std::string quoted(const std::u16string& text) {
    std::string out = "\"";
    for (char c : toUtf8(text)) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string rectText(const CourseRect& r) {
    return number(r.x1) + ' ' + number(r.y1) + ' ' + number(r.x2) + ' ' + number(r.y2);
}

}  // namespace

CourseFileWords courseFileWords(const CourseFileResult& r) {
    switch (r.error) {
    case CourseFileError::None: return {};
    case CourseFileError::CannotOpen: return {Str::CourseFileCannotOpen};
    case CourseFileError::TooLarge: return {Str::CourseFileTooLarge};
    case CourseFileError::NotCourseFile: return {Str::CourseFileForeign};
    case CourseFileError::NewerVersion: return {Str::CourseFileNewer, r.version};
    case CourseFileError::Truncated: return {Str::CourseFileTruncated};
    case CourseFileError::BadText: return {Str::CourseFileBadText, r.line};
    case CourseFileError::UnknownLine: return {Str::CourseFileUnknownLine, r.line};
    case CourseFileError::BadValue: return {Str::CourseFileBadValue, r.line};
    case CourseFileError::Repeated: return {Str::CourseFileRepeated, r.line};
    case CourseFileError::AfterEnd: return {Str::CourseFileAfterEnd, r.line};
    case CourseFileError::TooManyElements: return {Str::CourseFileTooMuchDrawing, r.line};
    case CourseFileError::TooManyCheckpoints: return {Str::CourseFileTooManyCheckpoints, r.line, int(kMaxCheckpoints)};
    case CourseFileError::RuleWithoutGoal: return {Str::CourseFileRuleWithoutGoal, r.line};
    case CourseFileError::NoName: return {Str::CourseFileNoName};
    case CourseFileError::NoStart: return {Str::CourseFileNoStart};
    case CourseFileError::StartOutsideField: return {Str::CourseFileStartOutside};
    case CourseFileError::GoalOutsideField: return {Str::CourseFileGoalOutside};
    case CourseFileError::CheckpointOutsideField: return {Str::CourseFileCheckpointOutside, r.index};
    case CourseFileError::StartInForbiddenArea: return {Str::CourseFileStartInForbidden};
    }
    return {Str::CourseFileForeign};
}

CourseRect normalised(const CourseRect& r) {
    return {std::min(r.x1, r.x2), std::min(r.y1, r.y2), std::max(r.x1, r.x2), std::max(r.y1, r.y2)};
}

CourseFileResult parseCourseFile(const std::vector<uint8_t>& bytes, CourseDesign& design, float robotHalf) {
    if (bytes.size() > kMaxCourseFileBytes) return {CourseFileError::TooLarge, 0, 0, 0};
    const std::string magic = kCourseFileMagic;
    const std::string lead = leadingAscii(bytes, magic.size());
    // Cut off before its first word is whole: a copy that stopped short, not a foreign file.
    if (lead.size() < magic.size() && magic.compare(0, lead.size(), lead) == 0)
        return {CourseFileError::Truncated, 0, 0, 0};
    if (lead != magic) return {CourseFileError::NotCourseFile, 1, 0, 0};
    if (bytes[0] == 0xFF && bytes.size() % 2 != 0) return {CourseFileError::Truncated, 0, 0, 0};  // half a character
    std::u16string text;
    int badLine = 0;
    if (!decodeText(bytes, text, badLine)) return {CourseFileError::BadText, badLine, 0, 0};
    CourseDesign d;
    Parser parser(d, robotHalf);
    const CourseFileResult r = parser.run(text);
    if (r.ok()) design = std::move(d);
    return r;
}

CourseFileResult readCourseFile(const std::filesystem::path& path, CourseDesign& design, float robotHalf) {
    std::vector<uint8_t> bytes;
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) > kMaxCourseFileBytes && !ec)
        return {CourseFileError::TooLarge, 0, 0, 0};
    if (!readWholeFile(path, bytes, kMaxCourseFileBytes)) return {CourseFileError::CannotOpen, 0, 0, 0};
    return parseCourseFile(bytes, design, robotHalf);
}

std::string writeCourseFile(const CourseDesign& d) {
    std::string out = std::string(kCourseFileMagic) + ' ' + std::to_string(kCourseFileVersion) + '\n';
    if (!d.nameJa.empty()) out += "name-ja " + quoted(d.nameJa) + '\n';
    if (!d.nameEn.empty()) out += "name-en " + quoted(d.nameEn) + '\n';
    out += "start " + number(d.startX) + ' ' + number(d.startY) + ' ' + number(d.startHeading) + '\n';
    if (d.courseFlags & (CourseFlag::NotMovable | CourseFlag::NotMovableWhilePaused | CourseFlag::PlayReturnsToStart)) {
        out += "course-flags";
        if (d.courseFlags & CourseFlag::NotMovable) out += " fixed";
        if (d.courseFlags & CourseFlag::NotMovableWhilePaused) out += " fixed-while-paused";
        if (d.courseFlags & CourseFlag::PlayReturnsToStart) out += " return-to-start";
        out += '\n';
    }
    if (!d.picture.empty()) out += "picture " + quoted(d.picture) + '\n';
    for (const CourseElement& e : d.elements) {
        static const char* const kWords[] = {"line", "arc", "curve", "box"};
        out += kWords[int(e.kind)];
        for (double v : e.v) out += ' ' + number(v);
        if (e.kind != CourseElementKind::Box) out += ' ' + number(e.width);
        out += '\n';
    }
    if (d.judgingFlags & JudgeFlag::Timed) out += "goal " + rectText(d.goal) + '\n';
    for (const CourseRect& r : d.checkpoints) out += "checkpoint " + rectText(r) + '\n';
    if (d.judgingFlags & JudgeFlag::Forbidden) out += "forbidden " + rectText(d.forbidden) + '\n';
    if (d.judgingFlags & JudgeFlag::StopInGoal) out += "stop-in-goal\n";
    if (d.judgingFlags & JudgeFlag::SensorUse) out += "sensor-rule\n";
    if (d.judgingFlags & JudgeFlag::OffLine)
        out += "off-line " + std::to_string(d.offLineThreshold) + ' ' + std::to_string(d.offLineTicks) + '\n';
    return out + "end\n";
}

}  // namespace trovel
