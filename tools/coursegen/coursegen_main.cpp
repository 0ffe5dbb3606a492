// coursegen DATA_DIR: writes the simulator's shipped artwork and texture.ini, the same bytes on every run.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "course_drawing.h"
#include "raster_image.h"
#include "wave_sound.h"

using namespace coursegen;

namespace {

const Rgb kWhite{255, 255, 255};
const Rgb kBlack{0, 0, 0};
const Rgb kPink{255, 205, 205};
const Rgb kPaleGreen{215, 250, 215};
const Rgb kPaleBlue{215, 230, 255};

void paleRect(RasterImage& img, double x1, double y1, double x2, double y2, Rgb c) {
    worldRect(img, x1, y1, x2, y2, c);
}

// Practice: a rounded rectangle without timing.
RasterImage practiceCourse() {
    RasterImage img = makeImage(700, 500, kWhite);
    Turtle t{-100, 170, 0};
    forward(img, t, 230, kBlack);
    for (int i = 0; i < 4; ++i) {
        arc(img, t, 120, 90, true, kBlack);
        forward(img, t, i % 2 == 0 ? 100 : 260, kBlack);
    }
    return img;
}

// Timed loop: goal at the start, three checkpoints to take in order, leaving the line is judged.
RasterImage checkpointCourse() {
    RasterImage img = makeImage(700, 500, kWhite);
    paleRect(img, -180, 170, -80, 230, kPaleGreen);
    paleRect(img, 260, -30, 320, 30, kPaleBlue);
    paleRect(img, -30, -185, 30, -125, kPaleBlue);
    paleRect(img, -320, -30, -260, 30, kPaleBlue);
    Turtle t{-130, 200, 0};
    forward(img, t, 320, kBlack);
    arc(img, t, 100, 90, true, kBlack);
    forward(img, t, 200, kBlack);
    arc(img, t, 100, 90, true, kBlack);
    // The top side bends down and up again between two gentle curves.
    forward(img, t, 60, kBlack);
    arc(img, t, 80, 45, true, kBlack);
    arc(img, t, 80, 45, false, kBlack);
    double run = 380 - 60 - 2 * 80 * std::sin(M_PI / 4) * 2;
    forward(img, t, run / 2 - 20, kBlack);
    arc(img, t, 80, 45, false, kBlack);
    arc(img, t, 80, 45, true, kBlack);
    forward(img, t, std::fabs(t.x - (-190)), kBlack);
    arc(img, t, 100, 90, true, kBlack);
    forward(img, t, 200, kBlack);
    arc(img, t, 100, 90, true, kBlack);
    forward(img, t, 60, kBlack);
    return img;
}

// Timed, stop in the black goal box; the pink area beside the first curve is forbidden.
RasterImage stopCourse() {
    RasterImage img = makeImage(700, 500, kWhite);
    paleRect(img, 170, 100, 270, 220, kPaleGreen);
    paleRect(img, -200, 20, -120, 120, kPink);
    Turtle t{-290, 180, 0};
    forward(img, t, 150, kBlack);
    arc(img, t, 100, 90, true, kBlack);
    forward(img, t, 80, kBlack);
    arc(img, t, 100, 90, false, kBlack);
    forward(img, t, 60, kBlack);
    arc(img, t, 100, 90, false, kBlack);
    forward(img, t, 80, kBlack);
    worldRect(img, 180, 140, 260, 200, kBlack);
    return img;
}

// A figure of eight: the line crosses itself at right angles in the middle.
RasterImage crossingCourse() {
    RasterImage img = makeImage(700, 500, kWhite);
    Turtle t{0, 0, -45};
    forward(img, t, 120, kBlack);
    arc(img, t, 120, 270, false, kBlack);
    forward(img, t, 240, kBlack);
    arc(img, t, 120, 270, true, kBlack);
    forward(img, t, 120, kBlack);
    return img;
}

// Upper half: the robot with two floor sensors; lower half: with four. Black is transparent.
RasterImage robotPicture() {
    RasterImage img = makeImage(128, 256, kBlack);
    for (int half = 0; half < 2; ++half) {
        int top = half * 128;
        fillRect(img, 8, top + 14, 120, top + 114, Rgb{60, 110, 200});    // body, facing right
        fillRect(img, 20, top + 2, 60, top + 16, Rgb{50, 50, 50});        // left wheel (top)
        fillRect(img, 20, top + 112, 60, top + 126, Rgb{50, 50, 50});     // right wheel
        fillRect(img, 90, top + 20, 122, top + 108, Rgb{230, 230, 240});  // sensor board
        int sensors[4] = {38, 54, 74, 90};
        for (int i = 0; i < 4; ++i) {
            if (half == 0 && (i == 1 || i == 2)) continue;
            fillDisc(img, 108, top + sensors[i], 5, Rgb{220, 40, 40});
        }
        fillDisc(img, 50, top + 64, 18, Rgb{240, 200, 60});  // top cover
    }
    return img;
}

RasterImage ledLight() {
    RasterImage img = makeImage(32, 32, kBlack);
    fillDisc(img, 16, 16, 14, Rgb{255, 120, 40});
    fillDisc(img, 16, 16, 9, Rgb{255, 220, 120});
    fillDisc(img, 16, 16, 4, Rgb{255, 255, 230});
    return img;
}

// Seven-segment glyphs "0".."9", ".", ":" in 32 x 64 cells.
RasterImage digitStrip() {
    RasterImage img = makeImage(12 * 32, 64, kBlack);
    const Rgb ink{255, 255, 255};
    //                    a    b    c    d    e    f    g
    const int segs[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    for (int d = 0; d < 10; ++d) {
        int x = d * 32;
        int s = segs[d];
        if (s & 0x01) fillRect(img, x + 8, 4, x + 24, 10, ink);
        if (s & 0x02) fillRect(img, x + 23, 8, x + 29, 31, ink);
        if (s & 0x04) fillRect(img, x + 23, 33, x + 29, 56, ink);
        if (s & 0x08) fillRect(img, x + 8, 54, x + 24, 60, ink);
        if (s & 0x10) fillRect(img, x + 3, 33, x + 9, 56, ink);
        if (s & 0x20) fillRect(img, x + 3, 8, x + 9, 31, ink);
        if (s & 0x40) fillRect(img, x + 8, 29, x + 24, 35, ink);
    }
    fillRect(img, 10 * 32 + 12, 52, 10 * 32 + 20, 60, ink);
    fillRect(img, 11 * 32 + 12, 18, 11 * 32 + 20, 26, ink);
    fillRect(img, 11 * 32 + 12, 40, 11 * 32 + 20, 48, ink);
    return img;
}

RasterImage cornerBadge() {
    RasterImage img = makeImage(128, 48, Rgb{30, 60, 140});
    fillRect(img, 4, 4, 124, 44, Rgb{60, 110, 200});
    for (int i = 0; i < 5; ++i) fillDisc(img, 20 + i * 22, 24, 8, Rgb{240, 200, 60});
    return img;
}

std::vector<uint8_t> utf16le(const std::u16string& text) {
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (char16_t c : text) {
        if (c == u'\n') {
            bytes.push_back('\r');
            bytes.push_back(0);
        }
        bytes.push_back(uint8_t(c & 0xFF));
        bytes.push_back(uint8_t(c >> 8));
    }
    return bytes;
}

// Every line holds at least one character: an empty line would end the reading of the file.
const char16_t kTextureIni[] =
    u"# TrovelStudio simulator courses. Generated by tools/coursegen; edit the generator, not this file.\n"
    u"_FILE_TOTAL:[9]\n"
    u"_TEXTURE:[[sim/robot.bmp]]        # robot, two variants\n"
    u"_TEXTURE:[[sim/led.bmp]]          # LED light\n"
    u"_TEXTURE:[[sim/badge.bmp]]        # corner badge\n"
    u"_TEXTURE:[[sim/messages.bmp]]     # message strip, 13 rows\n"
    u"_TEXTURE:[[sim/digits.bmp]]       # digits 0-9 . :\n"
    u"#         picture                  x     y     heading  name                      flags\n"
    u"_TEXTURE:[[course/practice.bmp]]  [-100][170][0]     [[れんしゅうコース]]      [0]\n"
    u"_TEXTURE:[[course/checkpoint.bmp]][-130][200][0]     [[チェックポイントコース]][4]\n"
    u"_TEXTURE:[[course/stop.bmp]]      [-290][180][0]     [[ゴールで止まるコース]]  [4]\n"
    u"_TEXTURE:[[course/crossing.bmp]]  [42][-42][-45]     [[交差点コース]]          [0]\n"
    u"#\n"
    u"_ATACKPARAM_MYATARI:[20]\n"
    u"# course 1: checkpoints in order, sensor branches required, at most 90 ticks off the line\n"
    u"_ATACKPARAM:[1][2][-180,170,-80,230]\n"
    u"_ATACKPARAM_SENSORBD:[40][90]\n"
    u"_ATACKPARAM_CHKAREA:[3][260,-30,320,30][-30,-185,30,-125][-320,-30,-260,30]\n"
    u"# course 2: stop inside the goal, keep out of the pink area\n"
    u"_ATACKPARAM:[2][8][170,100,270,220]\n"
    u"_ATACKPARAM_INVAREA:[-200,20,-120,120]\n"
    u"#\n"
    u"_SOUND_OK:[[sound/goal.wav]]  _SOUND_NG:[[sound/fail.wav]]\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: coursegen DATA_DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    for (const char* sub : {"sim", "course", "sound"}) std::filesystem::create_directories(dir / sub);
    struct Picture {
        const char* file;
        RasterImage image;
    } pictures[] = {
        {"sim/robot.bmp", robotPicture()},         {"sim/led.bmp", ledLight()},
        {"sim/badge.bmp", cornerBadge()},          {"sim/digits.bmp", digitStrip()},
        {"course/practice.bmp", practiceCourse()}, {"course/checkpoint.bmp", checkpointCourse()},
        {"course/stop.bmp", stopCourse()},         {"course/crossing.bmp", crossingCourse()},
    };
    bool ok = true;
    for (auto& p : pictures) ok = writeBitmap(p.image, (dir / p.file).string()) && ok;
    ok = writeTones({{523, 0.12}, {659, 0.12}, {784, 0.12}, {1047, 0.3}}, (dir / "sound/goal.wav").string()) && ok;
    ok = writeTones({{330, 0.18}, {0, 0.05}, {220, 0.4}}, (dir / "sound/fail.wav").string()) && ok;
    std::vector<uint8_t> ini = utf16le(kTextureIni);
    std::ofstream out(dir / "texture.ini", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(ini.data()), std::streamsize(ini.size()));
    ok = bool(out) && ok;
    if (!ok) std::fprintf(stderr, "coursegen: could not write every file into %s\n", dir.string().c_str());
    return ok ? 0 : 1;
}
