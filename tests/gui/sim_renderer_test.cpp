// The QPainter backend of the simulator: colour key, texture mapping, colour modulation, blending,
// the camera and drawing order, checked pixel by pixel on small made-up textures.

#include "sim/gui/sim_renderer.h"
#include "sim/gui/sim_textures.h"

#include <QtTest>

#include <cmath>

#include "gui_test_support.h"

using namespace trovel;
using trovel::test::testDir;

namespace {

constexpr int kTex = 0;

// Top half: left red, right black (the key colour). Bottom half: green.
QImage testTexture() {
    QImage image(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) image.setPixel(x, y, y >= 8 ? 0xFF00FF00 : x < 8 ? 0xFFFF0000 : 0xFF000000);
    return image;
}

SimTextures texturesFrom(const QImage& image, const QString& name) {
    const QString path = testDir(name) + "/tex.bmp";
    image.save(path);
    SimTextures textures;
    textures.load(kTex, std::filesystem::path(path.toStdU16String()));
    return textures;
}

// A screen quad over (l, t)-(r, b) showing the texture region (u0, v0)-(u1, v1), queued corner
// order as the simulator queues it: bottom-left, bottom-right, top-right, top-left.
DrawItem screenQuad(float l, float t, float r, float b, uint32_t colour, bool blend, int texture = kTex, float u0 = 0,
                    float v0 = 0, float u1 = 1, float v1 = 1) {
    DrawItem item;
    item.texture = texture;
    item.vertices = {vertex(l, b, colour, u0, v1), vertex(r, b, colour, u1, v1), vertex(r, t, colour, u1, v0),
                     vertex(l, t, colour, u0, v0)};
    item.blend = blend;
    item.screenSpace = true;
    return item;
}

QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

}  // namespace

class SimRendererTest : public QObject {
    Q_OBJECT
private slots:
    void colourKeyClearsOnlyOpaqueBlack() {
        QImage image(3, 1, QImage::Format_RGB32);
        image.setPixel(0, 0, 0xFF000000);
        image.setPixel(1, 0, 0xFF010000);  // nearly black stays
        image.setPixel(2, 0, 0xFFFFFFFF);
        const QImage keyed = applyColourKey(image).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(keyed.pixel(0, 0), 0u);
        QCOMPARE(keyed.pixel(1, 0), 0xFF010000u);
        QCOMPARE(keyed.pixel(2, 0), 0xFFFFFFFFu);
    }

    // A course picture with transparency is shown as the floor sensors read it: on white paper.
    void transparentPicturesLieOnWhite() {
        QImage image(2, 1, QImage::Format_ARGB32);
        image.setPixel(0, 0, 0x00000000);
        image.setPixel(1, 0, 0x80FF0000);
        const QString path = testDir("render_transparent") + "/course.png";
        QVERIFY(image.save(path));
        SimTextures textures;
        QVERIFY(textures.load(kTex, std::filesystem::path(path.toStdU16String())));
        QCOMPARE(textures.opaque(kTex).pixel(0, 0), 0xFFFFFFFFu);
        const QColor half = textures.opaque(kTex).pixelColor(1, 0);
        QCOMPARE(half.red(), 255);
        QVERIFY2(std::abs(half.green() - 127) <= 1 && std::abs(half.blue() - 127) <= 1, qPrintable(half.name()));
    }

    void textureMapTakesEveryCornerToItsVertex() {
        // A quarter turn: texture (0,0) -> (10,10), u along +y, v along -x.
        const std::array<QPointF, 4> tex{QPointF(0, 0), QPointF(8, 0), QPointF(8, 4), QPointF(0, 4)};
        const std::array<QPointF, 4> screen{QPointF(10, 10), QPointF(10, 26), QPointF(2, 26), QPointF(2, 10)};
        const auto map = textureToScreen(tex, screen);
        QVERIFY(map);
        for (size_t i = 0; i < 4; ++i) {
            const QPointF p = map->map(tex[i]);
            QVERIFY2(std::fabs(p.x() - screen[i].x()) < 1e-6 && std::fabs(p.y() - screen[i].y()) < 1e-6,
                     qPrintable(QString("corner %1").arg(i)));
        }
        // A texture range of no area cannot be mapped.
        QVERIFY(!textureToScreen({QPointF(1, 1), QPointF(1, 1), QPointF(1, 1), QPointF(1, 1)}, screen));
    }

    void modulateMultipliesEveryChannel() {
        QImage white(1, 1, QImage::Format_ARGB32_Premultiplied);
        white.fill(0xFFFFFFFF);
        QCOMPARE(modulate(white, 0xFF0000FF).pixel(0, 0), 0xFF0000FFu);
        const QColor half = modulate(white, 0x80FFFFFF).convertToFormat(QImage::Format_ARGB32).pixelColor(0, 0);
        QCOMPARE(half.alpha(), 0x80);
        QVERIFY(half.red() >= 0xFE);  // un-premultiplied it is still white
    }

    // The kept course layer must give the very picture a full drawing gives, whatever changed, also
    // in a back buffer of a scaled screen's device pixels.
    void keptCourseLayerDrawsWhatAFullDrawingDraws_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1") << qreal(1);
        QTest::newRow("1.5") << qreal(1.5);
        QTest::newRow("2") << qreal(2);
        QTest::newRow("0.75, a small view's own pixels") << qreal(0.75);
    }
    void keptCourseLayerDrawsWhatAFullDrawingDraws() {
        QFETCH(qreal, ratio);
        const SimTextures textures = texturesFrom(testTexture(), "render_cache");
        auto scene = [](float robotX, uint32_t courseColour, std::vector<DrawLine> lines = {}) {
            DrawList list;
            list.lines = std::move(lines);
            DrawItem course = screenQuad(0, 0, 64, 64, courseColour, false);
            course.screenSpace = false;  // world units, through the camera
            course.layer = Layer::Course;
            // Over the course picture, whose quarters meet under it: putting the course back
            // where the robot was shows whether the right piece of the kept picture was taken.
            DrawItem robot = screenQuad(robotX, 272, robotX + 16, 288, 0xFFFFFFFF, true);
            robot.layer = Layer::Robot;
            // A still, half-clear label over part of the robot's way: redrawn only where the robot
            // passes under it, it must still cover the robot there.
            DrawItem label = screenQuad(399, 266, 404.5f, 300, 0x80FFFFFF, true);
            label.layer = Layer::Status;
            list.items = {course, robot, label};
            return list;
        };
        SimCamera moved;
        moved.x = -10;
        moved.zoom = 2;
        SimCamera between = moved;  // a corner between device pixels, as a following camera has
        between.x = -10.37f;
        between.y = -7.81f;
        struct Step {
            DrawList list;
            SimCamera camera;
        };
        const Step steps[] = {
            {scene(360, 0xFFFFFFFF), SimCamera{}},  // first frame: nothing kept yet
            {scene(390, 0xFFFFFFFF), SimCamera{}},  // the robot moved: course kept
            {scene(370, 0xFFFFFFFF), SimCamera{}},  // and back again over its old place
            {scene(390, 0xFFFFFFFF), moved},        // the camera moved
            {scene(390, 0xFF8080FF), moved},        // the course picture changed colour
            // A path over the course: drawn on where it grew, a new band added, then hidden.
            {scene(390, 0xFF8080FF, {DrawLine{{2, 50, 20, 50}, 0xFF2040FF, 3}}), moved},
            {scene(380, 0xFF8080FF, {DrawLine{{2, 50, 20, 50, 30, 50, 40, 50}, 0xFF2040FF, 3}}), moved},
            {scene(
                 380, 0xFF8080FF,
                 {DrawLine{{2, 50, 20, 50, 30, 50, 40, 50}, 0xFF2040FF, 3}, DrawLine{{40, 50, 40, 60}, 0xFFFF2020, 3}}),
             moved},
            {scene(380, 0xFF8080FF, {DrawLine{{2, 50, 20, 50, 30, 50}, 0xFF00FF00, 3}}), moved},  // recoloured
            {scene(380, 0xFF8080FF), moved},
            {scene(380, 0xFF8080FF), between},
            {scene(384, 0xFF8080FF), between},
        };
        // Into a new target every frame, and into one target reused as the window does.
        CourseLayerCache cache, reusedCache;
        QImage reused = makeBackBuffer(ratio);
        QCOMPARE(reused.size(), (QSizeF(kScreenWidth, kScreenHeight) * ratio).toSize());
        QCOMPARE(reused.deviceIndependentSize(), QSizeF(kScreenWidth, kScreenHeight));
        for (size_t i = 0; i < std::size(steps); ++i) {
            QImage kept = makeBackBuffer(ratio);
            renderDrawList(kept, steps[i].list, steps[i].camera, textures, cache);
            completeFrame(kept, cache);
            renderDrawList(reused, steps[i].list, steps[i].camera, textures, reusedCache);
            // A zoomed-in frame is drawn only where items lie; made whole (as a copy, for the target
            // is reused as the window reuses it), it is the full drawing.
            QImage reusedWhole = reused.copy();
            CourseLayerCache reusedState = reusedCache;
            completeFrame(reusedWhole, reusedState);
            QImage fresh = makeBackBuffer(ratio);
            renderDrawList(fresh, steps[i].list, steps[i].camera, textures);
            // The robot quad is placed in drawing pixels: red above, green below, at the scaled place.
            const float robotX = steps[i].list.items[1].vertices[0].x;
            QCOMPARE(fresh.pixelColor((QPointF(robotX + 4, 276) * ratio).toPoint()), QColor(255, 0, 0));
            QCOMPARE(fresh.pixelColor((QPointF(robotX + 8, 284) * ratio).toPoint()), QColor(0, 255, 0));
            QVERIFY2(kept == fresh, qPrintable(QString("step %1").arg(i)));
            QVERIFY2(reusedWhole == fresh, qPrintable(QString("reused, step %1").arg(i)));
            // Zoomed in, the course comes from a whole sheet instead of a kept layer.
            QVERIFY(steps[i].camera.zoom > 1 ? !cache.sheet.image.isNull() : !cache.picture.isNull());
        }
    }

    // A tall translucent item (drawn in bands of rows) covers every row of its place exactly once,
    // at every scale: no row blended twice, none left out.
    void aTallItemCoversEachRowOnce() {
        const SimTextures textures = texturesFrom(testTexture(), "render_tall");
        for (const qreal ratio : {1.0, 1.5, 0.75}) {
            DrawList list;
            list.items.push_back(screenQuad(100, 20, 140, 480, 0x80FF0000, true, kNoTexture));
            QImage target = makeBackBuffer(ratio);
            renderDrawList(target, list, SimCamera{}, textures);
            const QColor expected = target.pixelColor(int(120 * ratio), int(250 * ratio));
            QVERIFY(expected.rgb() != kClearColour);
            for (int y = int(std::ceil(20 * ratio)) + 1; y < int(480 * ratio) - 1; ++y)
                QVERIFY2(target.pixelColor(int(120 * ratio), y) == expected,
                         qPrintable(QStringLiteral("ratio %1 row %2").arg(ratio).arg(y)));
        }
    }

    // What must reach the screen again: the old and new place of every changed item.
    void changedAreaCoversOldAndNewPlaces() {
        DrawList before;
        before.items = {screenQuad(0, 0, 700, 500, 0xFFFFFFFF, false), screenQuad(10, 20, 30, 40, 0xFFFFFFFF, true)};
        QVERIFY(changedArea(before, before, SimCamera{}).isEmpty());
        DrawList moved = before;
        moved.items[1] = screenQuad(100, 20, 120, 40, 0xFFFFFFFF, true);
        QCOMPARE(changedArea(before, moved, SimCamera{}), QRectF(10, 20, 110, 20));
        DrawList more = before;
        more.items.push_back(screenQuad(300, 300, 310, 320, 0xFFFFFFFF, true));
        QCOMPARE(changedArea(before, more, SimCamera{}), QRectF(300, 300, 10, 20));
        QCOMPARE(changedArea(more, before, SimCamera{}), QRectF(300, 300, 10, 20));
        DrawList tinted = before;
        tinted.items[1].vertices[0].colour = 0x80FFFFFF;
        QCOMPARE(changedArea(before, tinted, SimCamera{}), QRectF(10, 20, 20, 20));
    }

    void blendedQuadShowsTextureKeyAndOrientation() {
        const SimTextures textures = texturesFrom(testTexture(), "render_blend");
        DrawList list;
        list.items.push_back(screenQuad(100, 100, 200, 200, 0xFFFFFFFF, true));
        QImage target = makeBackBuffer();
        renderDrawList(target, list, SimCamera{}, textures);
        QCOMPARE(at(target, 125, 125), QColor(255, 0, 0));   // top-left quarter: red
        QCOMPARE(at(target, 175, 125).rgb(), kClearColour);  // black is keyed out
        QCOMPARE(at(target, 150, 175), QColor(0, 255, 0));   // v = 1 is the bottom of the picture
        QCOMPARE(at(target, 50, 50).rgb(), kClearColour);    // outside the quad
    }

    void opaqueQuadKeepsBlackAndIgnoresAlpha() {
        const SimTextures textures = texturesFrom(testTexture(), "render_opaque");
        DrawList list;
        list.items.push_back(screenQuad(100, 100, 200, 200, 0x20FFFFFF, false));
        QImage target = makeBackBuffer();
        renderDrawList(target, list, SimCamera{}, textures);
        QCOMPARE(at(target, 175, 125), QColor(0, 0, 0));
        QCOMPARE(at(target, 125, 125), QColor(255, 0, 0));
    }

    void vertexColourTintsAndFadesTheTexture() {
        const SimTextures textures = texturesFrom(testTexture(), "render_tint");
        DrawList list;
        // The green half through a red-only colour is black; through 50 % alpha it is half drawn.
        list.items.push_back(screenQuad(0, 0, 100, 100, 0xFFFF0000, true, kTex, 0, 0.5f, 1, 1));
        list.items.push_back(screenQuad(200, 0, 300, 100, 0x80FFFFFF, true, kTex, 0, 0.5f, 1, 1));
        QImage target = makeBackBuffer();
        renderDrawList(target, list, SimCamera{}, textures);
        QCOMPARE(at(target, 50, 50), QColor(0, 0, 0));
        const QColor faded = at(target, 250, 50);
        QVERIFY2(std::abs(faded.green() - (255 + 0x96) / 2) <= 3 && std::abs(faded.red() - 0) <= 3,
                 qPrintable(faded.name()));
    }

    void worldQuadsGoThroughTheCamera() {
        DrawList list;
        DrawItem box;  // untextured world square (10, 10)-(20, 20)
        box.texture = kNoTexture;
        box.vertices = {vertex(10, 20, 0xFFFF00FF, 0, 0), vertex(20, 20, 0xFFFF00FF, 0, 0),
                        vertex(20, 10, 0xFFFF00FF, 0, 0), vertex(10, 10, 0xFFFF00FF, 0, 0)};
        box.blend = true;
        list.items.push_back(box);
        SimCamera camera;
        camera.zoom = 2;
        camera.x = 0;
        camera.y = 0;
        QCOMPARE(worldToBackBuffer(camera, 10, 20), QPointF(20, 40));
        QImage target = makeBackBuffer();
        renderDrawList(target, list, camera, SimTextures{});
        QCOMPARE(at(target, 30, 30), QColor(255, 0, 255));  // world (15, 15)
        QCOMPARE(at(target, 15, 30).rgb(), kClearColour);   // world (7.5, 15): left of the square
        QCOMPARE(at(target, 45, 30).rgb(), kClearColour);   // world (22.5, 15): right of it
    }

    void laterItemsCoverEarlierOnesAndMissingImagesDrawNothing() {
        const SimTextures textures = texturesFrom(testTexture(), "render_order");
        DrawList list;
        list.items.push_back(screenQuad(0, 0, 100, 100, 0xFFFFFFFF, false));
        list.items.push_back(screenQuad(0, 0, 100, 100, 0xFFFFFFFF, true, 7));  // slot 7 holds nothing
        DrawItem overlay = screenQuad(0, 0, 50, 50, 0x800000FF, true, kNoTexture);
        list.items.push_back(overlay);
        QImage target = makeBackBuffer();
        renderDrawList(target, list, SimCamera{}, textures);
        const QColor mixed = at(target, 25, 25);  // half blue over red
        QVERIFY2(std::abs(mixed.red() - 127) <= 2 && std::abs(mixed.blue() - 128) <= 2, qPrintable(mixed.name()));
        QCOMPARE(at(target, 75, 75), QColor(0, 255, 0));  // the empty slot drew no box over the green
    }
};

QTEST_MAIN(SimRendererTest)
#include "sim_renderer_test.moc"
