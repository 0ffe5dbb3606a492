#include "cli/cli_help.h"

namespace trovel {

namespace {

struct CommandHelp {
    std::string_view name;
    std::string_view text;
};

constexpr CommandHelp kCommands[] = {
    {"compile",
     "Usage: trovel-cli compile PROGRAM.qxp [--out IMAGE.bin]\n"
     "Compile PROGRAM to the robot's byte code and print one instruction a line as four\n"
     "upper-case hex bytes.\n"
     "\n"
     "      --out=IMAGE.bin  also write the used bytes of the image to IMAGE.bin\n"
     "\n"
     "Exit status: 0 compiled, 1 program too large, 2 unreadable or not a program file.\n"},
    {"check",
     "Usage: trovel-cli check PROGRAM.qxp\n"
     "Print the repeat structure check of PROGRAM: -1 when sound, else the faulty repeat 0..7.\n"
     "\n"
     "Exit status: 0 checked, 2 unreadable or not a program file.\n"},
    {"decode",
     "Usage: trovel-cli decode IMAGE.bin --out PROGRAM.qxp\n"
     "Rebuild a flowchart from sequence bytes as read from the robot (at most 1024 bytes,\n"
     "ending at FF FF FF FF) and save it as PROGRAM.\n"
     "\n"
     "Exit status: 0 saved, 2 unreadable input or the program cannot be written.\n"},
    {"simulate",
     "Usage: trovel-cli simulate PROGRAM.qxp [OPTION]...\n"
     "Run PROGRAM in the simulator without a window and print one JSON line with the result.\n"
     "\n"
     "      --app-dir=DIR    application folder holding texture.ini and the courses\n"
     "      --course=N       course number (default 0)\n"
     "      --ticks=N        run N ticks of 16 ms (default: until the program stops)\n"
     "      --seed=S         seed of the random branches\n"
     "      --gain=L,R       simulator motor gains 0..255\n"
     "      --noise=sensor=S,start=D/A,motor=P\n"
     "                       seeded noise: sensor values get a normal deviate of S,\n"
     "                       the start pose moves within D units and A degrees, the\n"
     "                       gains differ by up to P % (drawn from --seed)\n"
     "      --trace=FILE.csv write one CSV row per tick\n"
     "      --picture=FILE.png\n"
     "                       draw the course with the robot's path, the checkpoints,\n"
     "                       the goal and the forbidden area as a PNG picture\n"
     "\n"
     "Exit status: 0 ran, 2 bad arguments, program or course, or a trace or picture\n"
     "that cannot be written (the JSON line is still printed).\n"},
    {"grade",
     "Usage: trovel-cli grade PROGRAMS... [OPTION]...\n"
     "Run every program (files, or folders of .qxp files) several times on every timed\n"
     "course and write report.csv, report.json and report.html. The reports are the same\n"
     "whatever --jobs is.\n"
     "\n"
     "      --courses=all|N,M,...  timed courses to run on (default all)\n"
     "      --runs=N               runs per program and course (default 10)\n"
     "      --noise=sensor=S,start=D/A,motor=P\n"
     "                             seeded noise as for simulate (default none)\n"
     "      --seed=S               class seed every run's seed is derived from (default 1)\n"
     "      --jobs=J               threads (default: the number of cores)\n"
     "      --out=DIR              folder of the reports (default grade-report)\n"
     "      --app-dir=DIR          application folder holding texture.ini and the courses\n"
     "      --gain=L,R             simulator motor gains 0..255\n"
     "      --lang=LANG            language of report.csv and report.html (ja, en);\n"
     "                             default TROVEL_LANG, else Japanese\n"
     "\n"
     "A file that is not a readable program gets a row with its error, at the top of\n"
     "report.csv and report.html; the others are graded. A program with a badly\n"
     "connected repeat is run and marked.\n"
     "\n"
     "Exit status: 0 reports written, 2 bad arguments, an empty folder, no timed course\n"
     "or reports that cannot be written.\n"},
    {"render",
     "Usage: trovel-cli render PROGRAM.qxp --out CHART.png [--size N] [--app-dir DIR]\n"
     "Draw the flowchart of PROGRAM as the studio's picture export does and write it as PNG.\n"
     "Needs no display.\n"
     "\n"
     "      --out=CHART.png  the picture to write\n"
     "      --size=N         scale the picture so that its longer side is N pixels\n"
     "      --app-dir=DIR    application folder with the skin images and names\n"
     "\n"
     "Exit status: 0 written, 2 bad arguments, unreadable program or unwritable picture.\n"},
    {"print",
     "Usage: trovel-cli print PROGRAM.qxp --paper A4|A3 [--landscape] --out CHART.pdf [--app-dir DIR]\n"
     "Print the flowchart of PROGRAM as a PDF, drawn as the studio's picture export draws it, with\n"
     "the program's title, file name and page number on every page. A chart larger than a page is\n"
     "shrunk onto it down to 60 % of its size on screen, else split over pages between blocks.\n"
     "Prints one JSON line: {\"pages\",\"scale\" (mm on paper per chart pixel),\n"
     "\"size_mm\" [width, height of the printed chart],\"paper\",\"landscape\"}.\n"
     "\n"
     "      --paper=A4|A3    the paper\n"
     "      --landscape      pages lying (default standing)\n"
     "      --out=CHART.pdf  the PDF to write\n"
     "      --app-dir=DIR    application folder with the skin images and names\n"
     "\n"
     "Exit status: 0 written, 2 bad arguments, unreadable program, a chart of more than 200\n"
     "pages or an unwritable PDF.\n"},
    {"course",
     "Usage: trovel-cli course COMMAND [ARGUMENT]... [OPTION]...\n"
     "Work on the teacher's own courses and print one JSON line\n"
     "{\"command\",\"status\",\"message\",...}.\n"
     "\n"
     "Commands:\n"
     "  build COURSE_FILE   draw the course of COURSE_FILE and install it among your own\n"
     "                      courses, after the shipped ones; prints its course number\n"
     "  list                list the shipped courses and your own\n"
     "  print COURSE        print a course (its number or a course file) at its real size\n"
     "                      as a PDF\n"
     "\n"
     "      --app-dir=DIR    application folder holding texture.ini; your courses are\n"
     "                       then kept in DIR/user_courses (default: the user's data folder)\n"
     "\n"
     "'trovel-cli course COMMAND --help' describes one command.\n"
     "Exit status: 0 done, 2 bad arguments, or a course file, picture or folder that\n"
     "cannot be read or written (nothing is installed then).\n"},
    {"course build",
     "Usage: trovel-cli course build COURSE_FILE [--app-dir DIR]\n"
     "Read COURSE_FILE (the course file format, see docs/course-file.md), draw its picture\n"
     "and install it among your own courses, where the simulator, simulate and grade find\n"
     "it after the shipped courses. A course file of the same name installed before is\n"
     "replaced and keeps its number; when it changed, its best time is removed.\n"
     "Prints {\"command\",\"status\",\"message\",\"course\",\"entry\",\"name\",\"name_en\",\n"
     "\"replaced\",\"record_reset\",\"picture\"}; \"course\" is the number to give simulate --course.\n"
     "\n"
     "      --app-dir=DIR    application folder holding texture.ini; the course goes to\n"
     "                       DIR/user_courses (default: the user's data folder)\n"
     "\n"
     "Exit status: 0 installed, 2 bad arguments, a course file that is damaged, cut short,\n"
     "foreign, of a newer version or refused (goal outside the field, start on the\n"
     "forbidden area, ...), a background picture that cannot be read, or a folder that\n"
     "cannot be written; nothing is installed then.\n"},
    {"course list",
     "Usage: trovel-cli course list [--app-dir DIR]\n"
     "Print the courses in simulator order, the shipped ones first:\n"
     "{\"command\",\"status\",\"message\",\"courses\":[{\"course\",\"name\",\"user\",\"timed\",\n"
     "\"checkpoints\",\"best_ms\"}]} (best_ms null without a record).\n"
     "\n"
     "      --app-dir=DIR    application folder holding texture.ini and your courses\n"
     "\n"
     "Exit status: 0 listed, 2 bad arguments or no readable texture.ini.\n"},
    {"course print",
     "Usage: trovel-cli course print COURSE_NUMBER|COURSE_FILE --paper A4|A3 --out COURSE.pdf [OPTION]...\n"
     "Print a course at its real size: its tiles on A4 or A3 pages with crop and alignment marks,\n"
     "row and column labels and a 10 cm scale bar on every page, after an overview page of how\n"
     "the tiles fit; or, with --poster, one page the size of the mat for a print shop.\n"
     "COURSE_NUMBER counts the installed courses from 0, as simulate --course does; a\n"
     "COURSE_FILE is drawn as course build draws it, without installing it (\"course\" -1).\n"
     "Prints one JSON line: {\"course\",\"pages\",\"rows\",\"columns\",\n"
     "\"scale\" (mm of the mat per course unit),\"size_mm\" [width, height of the mat],\n"
     "\"paper\",\"landscape\",\"poster\"}.\n"
     "\n"
     "      --paper=A4|A3      the paper of the tiles\n"
     "      --landscape        pages lying (default standing)\n"
     "      --size=WxH         the mat in mm (default: the robot at its real size, 1400x1000\n"
     "                         for the shipped courses); the course keeps its shape inside it\n"
     "      --poster           one page of the mat's size instead of tiles\n"
     "      --out=COURSE.pdf   the PDF to write\n"
     "      --app-dir=DIR      application folder holding texture.ini and the courses\n"
     "\n"
     "Exit status: 0 written, 2 bad arguments, no such course, a mat side outside 100..5000 mm,\n"
     "more than 500 pages or an unwritable PDF.\n"},
    {"robot",
     "Usage: trovel-cli robot COMMAND [ARGUMENT]... [OPTION]...\n"
     "Talk to the robot through its boot loader, with the studio's own transfers, and print one\n"
     "JSON line {\"command\",\"status\",\"message\"}.\n"
     "\n"
     "Commands:\n"
     "  write PROGRAM.qxp          compile PROGRAM and write it to the robot\n"
     "  read --out PROGRAM.qxp     read the robot's program back as a flowchart\n"
     "  firmware FILE.hex          replace the robot's firmware\n"
     "  verify-firmware FILE.hex   compare the robot's firmware with FILE\n"
     "  memory                     print the robot's 32 memory bytes\n"
     "  status                     say whether a robot answers\n"
     "\n"
     "      --usb               the first robot found on USB (the default)\n"
     "      --virtual=STATE     the emulated robot, kept in the file STATE between commands\n"
     "      --fault=NAME[@N]    with --virtual: a robot fault from the N-th report on\n"
     "      --robot-usb=VID:PID the robot's USB identifiers in hexadecimal\n"
     "      --speeds=L,R        motor speed settings in percent written with the program\n"
     "\n"
     "Exit status: 0 done, 2 bad input (nothing is sent), 3 no robot or it is busy,\n"
     "4 the transfer failed, or the robot did not restart after a write or firmware update.\n"},
};

}  // namespace

std::string cliHelpText() {
    return "Usage: trovel-cli COMMAND [ARGUMENT]...\n"
           "Work on TrovelStudio program files without a window.\n"
           "\n"
           "Commands:\n"
           "  compile   compile a program to the robot's byte code\n"
           "  check     check the repeat structure of a program\n"
           "  decode    rebuild a program from robot sequence bytes\n"
           "  simulate  run a program in the simulator\n"
           "  render    draw a program's flowchart as a PNG picture\n"
           "  print     print a program's flowchart as a PDF\n"
           "  robot     write, read or update the robot\n"
           "  grade     run a class's programs on the courses and write reports\n"
           "  course    install, list and print courses\n"
           "\n"
           "      --lang=LANG  language of the messages and reports: ja or en; default\n"
           "                   TROVEL_LANG, else Japanese whatever the locale\n"
           "      --help       display this help and exit\n"
           "      --version    output version information and exit\n"
           "\n"
           "Environment:\n"
           "  TROVEL_HOME      application folder (else ../share/trovel-studio beside the program)\n"
           "  TROVEL_LANG      language when --lang is not given\n"
           "  TROVEL_SITE_DIR  site settings folder instead of /etc/trovel-studio (robot.ini)\n"
           "  XDG_DATA_HOME    where the user's folder trovel-studio is kept\n"
           "\n"
           "'trovel-cli COMMAND --help' describes one command.\n"
           "Options taking a value accept it as the next word or after '='.\n";
}

std::string commandHelpText(std::string_view command) {
    for (const CommandHelp& c : kCommands)
        if (c.name == command) return std::string(c.text);
    return {};
}

}  // namespace trovel
