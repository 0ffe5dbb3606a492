#pragma once
// A program file's flowchart drawn into a PNG file without a window or a display: the picture the
// studio's screenshot export makes, optionally scaled to fit a square; or printed as a PDF. No Qt types here, so the
// command-line front end can call it without seeing Qt.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/paper_size.h"

namespace trovel {

struct RenderRequest {
    std::filesystem::path program;  // the .qxp file
    std::filesystem::path out;      // written as PNG, whatever its extension
    int fit = 0;                    // 0: the picture's own size; else its longer side becomes `fit` pixels
    std::filesystem::path appDir;   // skins, fonts and names; empty: found as the studio finds it
    uint32_t localeId = 0;          // chooses the language pack, as at the studio's start-up
};

constexpr int kMaxRenderFit = 8192;
// The chart's own picture is drawn whole before scaling: 64 million pixels, 256 MB.
constexpr int64_t kMaxRenderPixels = int64_t(64) << 20;

enum class RenderStatus { Rendered, BadRequest, ProgramUnreadable, AppFolderUnreadable, TooLarge, CannotWrite };

struct RenderResult {
    RenderStatus status = RenderStatus::BadRequest;
    std::string message;  // one line, UTF-8, empty when rendered
    int width = 0;        // of the written picture
    int height = 0;
};

// Starts an offscreen Qt application when the process has none.
RenderResult renderProgramPicture(const RenderRequest& request);
// The same picture as PNG bytes, for pages that embed it; `request.out` is not used.
RenderResult renderProgramPng(const RenderRequest& request, std::vector<uint8_t>& png);

}  // namespace trovel

namespace trovel {

struct ChartPrintSummary {
    int pages = 0;
    double mmPerPixel = 0;  // mm on paper per chart pixel
    double widthMm = 0;     // the whole chart on paper
    double heightMm = 0;
};

// The chart as the studio prints it, into `request.out` (replaced only by a whole PDF); `fit` is
// not used. TooLarge when it would take more than kMaxChartPages pages.
RenderResult printProgramPdf(const RenderRequest& request, Paper paper, bool landscape, ChartPrintSummary& summary);

}  // namespace trovel
