// The pictures of the grading report: a run's path over its course, and the chart as PNG bytes.

#include <QImage>
#include <QtTest>

#include "app/gui/chart_render.h"
#include "sim/gui/path_picture.h"
#include "scratch_dir.h"

using namespace trovel;

namespace {

QImage decode(const std::vector<uint8_t>& png) {
    return QImage::fromData(reinterpret_cast<const uchar*>(png.data()), int(png.size()), "PNG");
}

// A white course with the bottom-left quarter black: rows are stored bottom-up.
CoursePicture halfDarkCourse() {
    CoursePicture c;
    c.width = kCourseWidth;
    c.height = kCourseHeight;
    c.pixels.assign(size_t(c.width) * size_t(c.height) * 3, 255);
    for (int row = 0; row < c.height / 2; ++row)
        for (int col = 0; col < c.width / 2; ++col)
            for (int k = 0; k < 3; ++k) c.pixels[3 * (size_t(col) + size_t(c.width) * size_t(row)) + size_t(k)] = 0;
    return c;
}

}  // namespace

class ReportPicturesTest : public QObject {
    Q_OBJECT

private slots:
    void pathIsDrawnOverTheCourseTheRightWayUp() {
        const CoursePicture course = halfDarkCourse();
        // Along the top of the field from left to right: world y grows downward as image rows do.
        const std::vector<Vec2> path{{-300, -200}, {0, -200}, {300, -200}};
        const QImage image = decode(pathPicturePng(&course, path, 280));
        QCOMPARE(image.size(), QSize(280, 200));
        const QColor onPath = image.pixelColor(140, 20);  // world (0, -200)
        QVERIFY2(onPath.red() > 150 && onPath.green() < 100, qPrintable(onPath.name()));
        QCOMPARE(image.pixelColor(200, 100).lightness(), 255);  // top right of the course: white
        QVERIFY(image.pixelColor(60, 180).lightness() < 20);    // bottom left: the dark quarter
        const QColor start = image.pixelColor(20, 20), finish = image.pixelColor(260, 20);
        QVERIFY2(start.green() > start.red(), qPrintable(start.name()));
        QVERIFY2(finish.blue() > finish.red(), qPrintable(finish.name()));
    }

    // "simulate --picture": the areas the course judges, where they are judged; a rect whose rule is
    // off stays out of the picture.
    void judgingAreasAreDrawnOnlyForTheRulesInUse() {
        const CoursePicture course = halfDarkCourse();
        CourseRecord rules;
        rules.judgingFlags = JudgeFlag::Timed | JudgeFlag::Checkpoints;
        rules.goal = {150, -200, 250, -100};          // pixels 200..240 x 20..60
        rules.checkpoints = {{-50, -200, 50, -100}};  // pixels 120..160 x 20..60
        rules.forbidden = {150, 0, 250, 100};         // pixels 200..240 x 100..140, rule off
        const QImage image = decode(pathPicturePng(&course, {}, 280, &rules));
        const QColor goal = image.pixelColor(220, 40), checkpoint = image.pixelColor(140, 40);
        QVERIFY2(goal.green() > goal.red() + 40 && goal.green() > goal.blue() + 40, qPrintable(goal.name()));
        QVERIFY2(checkpoint.red() > checkpoint.green() + 40 && checkpoint.blue() > checkpoint.green() + 40,
                 qPrintable(checkpoint.name()));
        QCOMPARE(image.pixelColor(220, 120).lightness(), 255);
        QCOMPARE(decode(pathPicturePng(&course, {}, 280)).pixelColor(220, 40).lightness(), 255);
    }

    void missingCourseAndUnusableInput() {
        const QImage grey = decode(pathPicturePng(nullptr, {{0, 0}, {NAN, 5}, {10, 10}}, 70));
        QCOMPARE(grey.size(), QSize(70, 50));
        QCOMPARE(grey.pixelColor(5, 45), QColor(200, 200, 200));
        QVERIFY(pathPicturePng(nullptr, {}, 0).empty());
        QVERIFY(pathPicturePng(nullptr, {}, 100000).empty());
    }

    void chartBytesAreThePictureRenderWrites() {
        const QString out = QString::fromStdString((test::scratchDir("gui", "report_pictures") / "chart.png").string());
        RenderRequest request;
        request.program = TROVEL_SOURCE_DIR "/examples/line_follower.qxp";
        request.appDir = TROVEL_APP_DIR;
        request.fit = 200;
        request.out = out.toStdString();
        QCOMPARE(renderProgramPicture(request).status, RenderStatus::Rendered);
        std::vector<uint8_t> png;
        const RenderResult r = renderProgramPng(request, png);
        QCOMPARE(r.status, RenderStatus::Rendered);
        const QImage fromBytes = decode(png);
        QCOMPARE(fromBytes.size(), QSize(r.width, r.height));
        QCOMPARE(fromBytes.convertToFormat(QImage::Format_RGB32), QImage(out).convertToFormat(QImage::Format_RGB32));
        request.program = TROVEL_SOURCE_DIR "/examples/no_such_program.qxp";
        png.clear();
        QCOMPARE(renderProgramPng(request, png).status, RenderStatus::ProgramUnreadable);
        QVERIFY(png.empty());
    }
};

QTEST_MAIN(ReportPicturesTest)
#include "report_pictures_test.moc"
