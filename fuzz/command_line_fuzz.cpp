// The command lines of the studio and of "trovel-cli simulate": the input is the arguments,
// separated by NUL bytes.

#include "app/gui/command_line.h"
#include "fuzz/fuzz_input.h"
#include "cli/simulate_args.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    std::string arg;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(arg);
            arg.clear();
        } else {
            arg += static_cast<char>(data[i]);
        }
    }
    if (!arg.empty() || args.empty()) args.push_back(arg);
    parseStudioCommandLine(args);
    parseSimulateArgs(args);
    return 0;
}
