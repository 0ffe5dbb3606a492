#include "cli/render_command.h"

#include <iostream>

#include "base/locale_id.h"
#include "cli/cli_common.h"

#ifdef TROVEL_HAVE_RENDER
#include "app/gui/chart_render.h"
#endif

namespace trovel {

namespace {

int bad(const std::string& message) {
    std::cerr << "render: " << message << "\n"
              << "usage: trovel-cli render PROGRAM.qxp --out chart.png [--size N] [--app-dir DIR]\n";
    return kExitBadInput;
}

}  // namespace

int renderCommand(const std::vector<std::string>& args, uint32_t localeId) {
#ifdef TROVEL_HAVE_RENDER
    RenderRequest request;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word.rfind("--", 0) != 0) {
            if (!request.program.empty()) return bad("more than one program file: " + word);
            request.program = word;
            continue;
        }
        if (i + 1 >= args.size()) return bad(word + " needs a value");
        const std::string& value = args[++i];
        if (word == "--out") {
            request.out = value;
        } else if (word == "--app-dir") {
            request.appDir = value;
        } else if (word == "--size") {
            int n = 0;
            for (char c : value) {
                if (c < '0' || c > '9' || n > kMaxRenderFit) return bad("bad --size " + value);
                n = n * 10 + (c - '0');
            }
            if (value.empty() || n < 1 || n > kMaxRenderFit)
                return bad("bad --size " + value + " (1.." + std::to_string(kMaxRenderFit) + ")");
            request.fit = n;
        } else {
            return bad("unknown option " + word);
        }
    }
    if (request.program.empty()) return bad("no program file");
    if (request.out.empty()) return bad("no --out file");
    request.localeId = localeId;
    const RenderResult r = renderProgramPicture(request);
    if (r.status != RenderStatus::Rendered) {
        std::cerr << "render: " << r.message << "\n";
        return kExitBadInput;
    }
    return kExitOk;
#else
    (void)args;
    std::cerr << "render: this trovel-cli was built without the chart drawing\n";
    return kExitBadInput;
#endif
}

}  // namespace trovel
