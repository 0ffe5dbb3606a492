// Printing: a shipped course at its real size (1.4 x 1.0 m) in tiles on A4 and A3 and as a
// poster, and a program's chart on A4, each the whole PDF written to memory. Target for the A4
// tiles: under 2 s.

#include <QApplication>
#include <QBuffer>

#include <benchmark/benchmark.h>

#include "editor/gui/chart_pdf.h"
#include "model/program_file.h"
#include "sim/course_config.h"
#include "sim/gui/course_pdf.h"

using namespace trovel;

namespace {

void printCourse(benchmark::State& state, Paper paper, bool poster) {
    CourseSet set;
    loadCourseConfig(set, TROVEL_APP_DIR);
    const CoursePicture* picture = coursePicture(set, 1);
    if (!picture) {
        state.SkipWithError("no course picture");
        return;
    }
    qint64 bytes = 0;
    int pages = 0;
    for (auto _ : state) {
        CoursePdfJob job;
        job.picture = coursePictureImage(*picture);
        job.courseName = QStringLiteral("checkpoint");
        job.poster = poster;
        job.plan = planTiles({defaultMatSize(set.robotHalf), paper, false});
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!writeCoursePdf(buffer, job)) state.SkipWithError("the PDF was not written");
        bytes = buffer.size();
        pages = coursePdfPages(job);
    }
    state.counters["pages"] = pages;
    state.counters["kB"] = double(bytes) / 1024;
}

void BM_PrintCourseTilesA4(benchmark::State& state) { printCourse(state, Paper::A4, false); }
void BM_PrintCourseTilesA3(benchmark::State& state) { printCourse(state, Paper::A3, false); }
void BM_PrintCoursePoster(benchmark::State& state) { printCourse(state, Paper::A4, true); }

void BM_PrintChartA4(benchmark::State& state) {
    BlockProgram program;
    if (!loadProgram(program, TROVEL_SOURCE_DIR "/examples/line_follower.qxp").ok()) {
        state.SkipWithError("no example program");
        return;
    }
    const ChartStyle style = defaultChartStyle(chartTextSources({}, {}));
    for (auto _ : state) {
        ChartPdfJob job;
        job.title = programPrintTitle(program);
        job.plan = planChartPages(chartPageRequest(program, Paper::A4, false));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!writeChartPdf(buffer, program, style, 0, job)) state.SkipWithError("the PDF was not written");
    }
}

}  // namespace

BENCHMARK(BM_PrintCourseTilesA4)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_PrintCourseTilesA3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_PrintCoursePoster)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_PrintChartA4)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
