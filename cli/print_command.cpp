#include "cli/print_command.h"

#include <iostream>
#include <optional>

#include "base/paper_size.h"
#include "cli/cli_common.h"

#ifdef TROVEL_HAVE_RENDER
#include "app/gui/chart_render.h"
#endif

namespace trovel {

namespace {

int bad(const std::string& message) {
    std::cerr << "print: " << message << "\n"
              << "usage: trovel-cli print PROGRAM.qxp --paper A4|A3 [--landscape] --out chart.pdf [--app-dir DIR]\n";
    return kExitBadInput;
}

}  // namespace

int printCommand(const std::vector<std::string>& args, uint32_t localeId) {
#ifdef TROVEL_HAVE_RENDER
    RenderRequest request;
    std::optional<Paper> paper;
    bool landscape = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.rfind("--", 0) != 0) {
            if (!request.program.empty()) return bad("more than one program file: " + word);
            request.program = word;
            continue;
        }
        if (word == "--landscape") {
            landscape = true;
            continue;
        }
        if (i + 1 >= args.size()) return bad(word + " needs a value");
        const std::string& value = args[++i];
        if (word == "--out") {
            request.out = value;
        } else if (word == "--app-dir") {
            request.appDir = value;
        } else if (word == "--paper") {
            paper = parsePaper(value);
            if (!paper) return bad("bad --paper " + value + " (A4 or A3)");
        } else {
            return bad("unknown option " + word);
        }
    }
    if (request.program.empty()) return bad("no program file");
    if (request.out.empty()) return bad("no --out file");
    if (!paper) return bad("no --paper (A4 or A3)");
    request.localeId = localeId;
    ChartPrintSummary summary;
    const RenderResult r = printProgramPdf(request, *paper, landscape, summary);
    if (r.status != RenderStatus::Rendered) {
        std::cerr << "print: " << r.message << "\n";
        return kExitBadInput;
    }
    std::cout << "{\"pages\":" << summary.pages << ",\"scale\":" << decimalText(summary.mmPerPixel, 4)
              << ",\"size_mm\":[" << decimalText(summary.widthMm) << "," << decimalText(summary.heightMm)
              << "],\"paper\":\"" << paperName(*paper) << "\",\"landscape\":" << (landscape ? "true" : "false")
              << "}\n";
    return std::cout.flush() ? kExitOk : kExitBadInput;
#else
    (void)args;
    (void)localeId;
    std::cerr << "print: this trovel-cli was built without the chart drawing\n";
    return kExitBadInput;
#endif
}

}  // namespace trovel
