// Installing a teacher's course: reading its file, drawing its picture, writing the picture and the
// entry among the user's courses. A course of 200 elements, as a designer window makes them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "sim/course_file.h"
#include "sim/course_install.h"
#include "sim/course_raster.h"

namespace {

using namespace trovel;

// A winding track of 200 lines, arcs and curves over the field, with a goal, checkpoints and a
// forbidden area.
CourseDesign windingCourse() {
    CourseDesign d;
    d.nameJa = u"くねくねコース";
    d.nameEn = u"Winding course";
    d.startX = -300;
    d.startY = -200;
    for (int i = 0; i < 200; ++i) {
        const double x = -300 + (i % 20) * 30.0, y = -200 + (i / 20) * 40.0;
        switch (i % 3) {
        case 0: d.elements.push_back({CourseElementKind::Line, {x, y, x + 30, y + 10}, kDefaultLineWidth}); break;
        case 1: d.elements.push_back({CourseElementKind::Arc, {x, y + 20, 20, -90, 180}, kDefaultLineWidth}); break;
        default:
            d.elements.push_back(
                {CourseElementKind::Curve, {x, y, x + 10, y + 30, x + 20, y - 30, x + 30, y}, kDefaultLineWidth});
        }
    }
    d.judgingFlags = JudgeFlag::Timed | JudgeFlag::Checkpoints | JudgeFlag::Forbidden | JudgeFlag::OffLine;
    d.goal = {-330, -230, -270, -170};
    d.checkpoints = {{0, 0, 40, 40}, {200, 100, 240, 140}};
    d.forbidden = {300, 200, 340, 240};
    d.offLineThreshold = 40;
    d.offLineTicks = 90;
    return d;
}

std::filesystem::path benchFolder() {
    const std::filesystem::path dir = std::filesystem::path(TROVEL_TEST_TMP) / "bench" / "course_install";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// The whole install as trovel-cli course build does it, the same file over and over (each time
// replacing the course installed the time before).
void BM_InstallCourseFile(benchmark::State& state) {
    const std::filesystem::path dir = benchFolder();
    const std::string text = writeCourseFile(windingCourse());
    std::ofstream(dir / "winding.course", std::ios::binary) << text;
    for (auto _ : state) {
        const InstallResult r = installCourseFile(dir / "winding.course", dir / "user");
        if (!r.ok()) {
            state.SkipWithError("the course did not install");
            return;
        }
        benchmark::DoNotOptimize(r.entry);
    }
}
BENCHMARK(BM_InstallCourseFile)->Unit(benchmark::kMillisecond);

void BM_DrawCourse(benchmark::State& state) {
    const CourseDesign design = windingCourse();
    for (auto _ : state) benchmark::DoNotOptimize(drawCourse(design).pixels.data());
}
BENCHMARK(BM_DrawCourse)->Unit(benchmark::kMillisecond);

}  // namespace
