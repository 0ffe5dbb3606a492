#include "app/program_info.h"

#include "trovel_version.h"

namespace trovel {

InfoRequest infoRequest(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") break;
        if (a == "--help") return InfoRequest::Help;
        if (a == "--version") return InfoRequest::Version;
    }
    return InfoRequest::None;
}

std::string versionText(std::string_view program) {
    return std::string(program) + " (TrovelStudio) " TROVEL_VERSION
                                  "\n"
                                  "Copyright (C) The TrovelStudio developers.\n"
                                  "License: MIT <https://opensource.org/licenses/MIT>.\n"
                                  "This is free software: you are free to change and redistribute it.\n"
                                  "There is NO WARRANTY, to the extent permitted by law.\n";
}

std::string studioHelpText() {
    return "Usage: trovel-studio [OPTION]... [PROGRAM.qxp]\n"
           "Draw flowchart programs for the Trovel robot, run them in the simulator and\n"
           "write them to the robot. PROGRAM is opened when the window first shows.\n"
           "\n"
           "  -view                 open PROGRAM in view mode: no new, open or save, and\n"
           "                        no question on close\n"
           "      --app-dir=DIR     read and write every file in the application folder DIR\n"
           "      --lang=LANG       user interface language (ja, en); default from the\n"
           "                        locale\n"
           "      --robot-usb=VID:PID  look for a robot with these USB identifiers\n"
           "                        (hexadecimal) instead of those of robot.ini\n"
           "      --simulator       open the simulator window at start\n"
           "      --course=N        choose the simulator's course N (0 is the first);\n"
           "                        opens the simulator\n"
           "      --play            run PROGRAM in the simulator at once; opens the\n"
           "                        simulator\n"
           "      --grab=FILE       save a PNG picture of the window to FILE and quit\n"
           "      --help            display this help and exit\n"
           "      --version         output version information and exit\n"
           "  --                    every argument after it is a file name\n"
           "An option the studio does not know ends it with status 2. Qt's own options\n"
           "(-platform NAME, -style NAME, -reverse, ...) are passed to Qt.\n"
           "\n"
           "Environment:\n"
           "  TROVEL_HOME           application folder when --app-dir is not given\n"
           "  TROVEL_LANG           user interface language when --lang is not given\n"
           "  TROVEL_SITE_DIR       site settings folder instead of /etc/trovel-studio\n"
           "  TROVEL_VIRTUAL_ROBOT  1: connect an emulated robot instead of USB;\n"
           "                        FILE: the same, its program and firmware kept in FILE\n"
           "  TROVEL_QUIT_AFTER_PAINT  print the milliseconds to the chart's first paint\n"
           "                        on standard error and quit\n"
           "\n"
           "Without --app-dir or TROVEL_HOME, an installed studio reads its shared files\n"
           "from ../share/trovel-studio beside the executable and writes qx_def.ini and\n"
           "record.dat in the user's data folder (~/.local/share/trovel-studio). The\n"
           "administrator's settings in /etc/trovel-studio (robot.ini, qx_def.ini,\n"
           "site.ini) come after the user's own files and before the shipped ones.\n";
}

}  // namespace trovel
