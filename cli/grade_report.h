#pragma once
// The files of "trovel-cli grade": report.csv, report.json and the self-contained report.html.
// They hold nothing that depends on the number of threads or the order runs finished in.
// The CSV and the page are for the teacher and speak the language in use (resString); the JSON
// is for scripts and keeps fixed keys and words, with the teacher's words added beside them.

#include <cstdint>
#include <string>
#include <vector>

#include "model/program_file.h"
#include "sim/class_grading.h"
#include "sim/sim_noise.h"

namespace trovel {

struct ReportProgram {
    std::string shown;                           // the path as found, UTF-8
    LoadResult load{LoadStatus::Loaded, 0, {}};  // why the file could not be graded, when it was not
    int repeatFault = -1;                        // the faulty repeat (0..7), run as after "continue"; -1 when sound
    int graded = -1;  // index among the graded programs (GradeCell::program); -1 when not run
};

struct ReportCourse {
    int index = 0;
    std::string name;  // UTF-8, as texture.ini names it
};

struct GradeReport {
    std::vector<ReportProgram> programs;  // in the order they were named
    std::vector<ReportCourse> courses;    // in grading order
    std::vector<GradeCell> cells;         // from gradeClass
    uint64_t seed = 0;
    int runs = 0;
    SimNoise noise;
};

// PNG pictures for the page; an empty string leaves the picture out.
struct ReportPictures {
    std::vector<std::string> charts;  // per report program
    std::vector<std::string> paths;   // per cell
};

std::string csvReport(const GradeReport& report);
std::string jsonReport(const GradeReport& report);
std::string htmlReport(const GradeReport& report, const ReportPictures& pictures);

// 61234 -> "1:01.234"
std::string lapText(int ms);
std::string base64(const std::string& bytes);

}  // namespace trovel
