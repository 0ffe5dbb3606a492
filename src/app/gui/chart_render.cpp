#include "app/gui/chart_render.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/app_config.h"
#include "base/app_folder.h"
#include "base/gui/headless_app.h"
#include "app/gui/screenshot_export.h"
#include "app/gui/studio_setup.h"
#include "base/locale_id.h"
#include "base/message_format.h"
#include "base/resource_library.h"
#include "base/string_ids.h"
#include "editor/gui/chart_drawing.h"
#include "editor/gui/chart_pdf.h"
#include "model/option_flags.h"
#include "model/program_file.h"
#include "model/text_convert.h"

namespace trovel {

namespace {

RenderResult failed(RenderStatus status, std::string message) {
    RenderResult r;
    r.status = status;
    r.message = std::move(message);
    return r;
}

std::string shown(const std::filesystem::path& p) { return p.string(); }

// The program and the studio's settings it is drawn with; status Rendered when both loaded.
RenderResult loadChart(const RenderRequest& request, BlockProgram& program, AppConfig& config) {
    const LoadResult loaded = loadProgram(program, request.program);
    if (!loaded.ok()) {
        std::string why = loaded.status == LoadStatus::CannotOpen ? "cannot open the file" : "not a program file";
        if (loaded.status == LoadStatus::Damaged)
            why = "damaged record at line " + std::to_string(loaded.line) + " (" + loaded.reason + ")";
        return failed(RenderStatus::ProgramUnreadable, shown(request.program) + ": " + why);
    }

    // The options and names that change the captions are the user's, as in the studio.
    const auto userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdU16String();
    const AppFolders folders = resolveAppFolders(request.appDir, processEnvironment(), executablePath(), userData);
    const StartupResult startup = loadAppFolders(folders, request.localeId, config);
    if (!startup.ok) {
        std::string why = startup.messages.empty() ? std::string() : toUtf8(startup.messages.front().text);
        std::replace(why.begin(), why.end(), '\n', ' ');
        std::erase(why, '\r');
        return failed(RenderStatus::AppFolderUnreadable, shown(folders.shared) + ": " + why);
    }
    RenderResult r;
    r.status = RenderStatus::Rendered;
    return r;
}

RenderResult renderImage(const RenderRequest& request, QImage& picture) {
    if (request.program.empty()) return failed(RenderStatus::BadRequest, "no program or no --out");
    if (request.fit < 0 || request.fit > kMaxRenderFit)
        return failed(RenderStatus::BadRequest, "--size must be 1.." + std::to_string(kMaxRenderFit));

    const HeadlessGui headless;
    BlockProgram program;
    AppConfig config;
    if (RenderResult r = loadChart(request, program, config); r.status != RenderStatus::Rendered) return r;

    // Block positions in a file are not bounded; a thumbnailer must not be made to allocate gigabytes.
    const ChartExtent extent = chartExtent(program, QSize(), false);
    if (int64_t(extent.content.right) * extent.content.bottom > kMaxRenderPixels)
        return failed(RenderStatus::TooLarge, shown(request.program) + ": the chart is too large to draw (" +
                                                  std::to_string(extent.content.right) + " x " +
                                                  std::to_string(extent.content.bottom) + " pixels)");
    picture = renderChartImage(program, chartStyleFromConfig(config), config.settings.options);
    if (picture.isNull()) return failed(RenderStatus::TooLarge, shown(request.program) + ": no memory for the picture");
    if (request.fit > 0) {
        const double scale = double(request.fit) / std::max(picture.width(), picture.height());
        const int w = std::max(1, int(std::lround(picture.width() * scale)));
        const int h = std::max(1, int(std::lround(picture.height() * scale)));
        picture = picture.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

    RenderResult r;
    r.status = RenderStatus::Rendered;
    r.width = picture.width();
    r.height = picture.height();
    return r;
}

}  // namespace

RenderResult renderProgramPicture(const RenderRequest& request) {
    if (request.out.empty()) return failed(RenderStatus::BadRequest, "no program or no --out");
    QImage picture;
    const RenderResult r = renderImage(request, picture);
    if (r.status != RenderStatus::Rendered) return r;
    // A picture cut short must not replace a good one.
    QSaveFile file(QString::fromStdU16String(request.out.u16string()));
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit())
        return failed(RenderStatus::CannotWrite, shown(request.out) + ": cannot write the picture");
    return r;
}

RenderResult renderProgramPng(const RenderRequest& request, std::vector<uint8_t>& png) {
    QImage picture;
    const RenderResult r = renderImage(request, picture);
    if (r.status != RenderStatus::Rendered) return r;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        return failed(RenderStatus::TooLarge, shown(request.program) + ": cannot encode the picture");
    png.assign(bytes.begin(), bytes.end());
    return r;
}

RenderResult printProgramPdf(const RenderRequest& request, Paper paper, bool landscape, ChartPrintSummary& summary) {
    if (request.program.empty() || request.out.empty())
        return failed(RenderStatus::BadRequest, "no program or no --out");
    const HeadlessGui headless;
    BlockProgram program;
    AppConfig config;
    if (RenderResult r = loadChart(request, program, config); r.status != RenderStatus::Rendered) return r;

    ChartPdfJob job;
    job.title = programPrintTitle(program);
    job.fileName =
        QDir::toNativeSeparators(QFileInfo(QString::fromStdU16String(request.program.u16string())).absoluteFilePath());
    job.plan = planChartPages(chartPageRequest(program, paper, landscape));
    if (job.plan.status == ChartPlanStatus::TooManyPages)
        return failed(RenderStatus::TooLarge,
                      shown(request.program) + ": " +
                          toUtf8(formatMessage(resString(Str::PrintChartTooLarge), {kMaxChartPages})));
    if (job.plan.status != ChartPlanStatus::Ok)
        return failed(RenderStatus::ProgramUnreadable, shown(request.program) + ": an empty chart");
    if (!saveChartPdf(QString::fromStdU16String(request.out.u16string()), program, chartStyleFromConfig(config),
                      config.settings.options, job))
        return failed(RenderStatus::CannotWrite, shown(request.out) + ": " + toUtf8(resString(Str::PrintFailed)));

    summary.pages = int(job.plan.pages.size());
    summary.mmPerPixel = job.plan.mmPerPixel;
    const ChartPage& last = job.plan.pages.back();
    summary.widthMm = (last.x + last.width) * job.plan.mmPerPixel;
    summary.heightMm = (last.y + last.height) * job.plan.mmPerPixel;
    RenderResult r;
    r.status = RenderStatus::Rendered;
    r.width = last.x + last.width;
    r.height = last.y + last.height;
    return r;
}

}  // namespace trovel
