#pragma once
// The studio's command line: view mode, the application folder, a program to open, and how to
// start the simulator for demonstrations.

#include <filesystem>
#include <string>
#include <vector>

namespace trovel {

struct StudioCommandLine {
    bool viewMode = false;              // "-view" anywhere, any case
    std::filesystem::path appDir;       // "--app-dir DIR"; empty when not given
    std::filesystem::path programPath;  // pending program; empty unless the file exists
    std::filesystem::path grabPath;     // "--grab FILE": save a picture of the window and quit
    std::string robotUsb;               // "--robot-usb VID:PID"; empty when not given
    bool openSimulator = false;         // "--simulator", also implied by --course and --play
    int course = -1;                    // "--course N": the simulator's course; -1 when not given
    bool play = false;                  // "--play": run the program in the simulator at once
    std::string unknownOption;          // the first argument that looks like an option and is none
    std::filesystem::path missingPath;  // the program named that is not a file; empty when none was
};

// args are the arguments after the program name. A program path may arrive bare (the shell took
// its quotes) or still quoted; an argument holding a single double-quote character is ignored.
// Qt's own options (-platform NAME, -style=NAME, ...) are let through; after "--" every argument
// is a file name.
StudioCommandLine parseStudioCommandLine(const std::vector<std::string>& args);

}  // namespace trovel
