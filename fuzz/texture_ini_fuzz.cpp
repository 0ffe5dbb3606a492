// texture.ini with its pictures from the application folder, then a short run on every course it
// declares, so whatever the file sets (start pose, judging areas, thresholds) meets the arithmetic.

#include "fuzz/fuzz_input.h"
#include "model/program_file.h"
#include "model/text_record_file.h"
#include "sim/course_config.h"
#include "sim/simulator.h"

#include <cmath>

using namespace trovel;

namespace {

const BlockProgram& lineFollower() {
    static BlockProgram program = [] {
        BlockProgram p;
        loadProgram(p, std::filesystem::path(TROVEL_SOURCE_DIR) / "examples" / "line_follower.qxp");
        return p;
    }();
    return program;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::path path = fuzz::writeScratch("texture.ini", data, size);
    TextRecordFile file;
    if (!file.open(path, u"r")) return 0;
    std::vector<std::u16string> lines;
    std::u16string line;
    while (file.readLine(line, kRecordLineChars) > 0) lines.push_back(line);
    file.close();

    Simulator sim;
    parseCourseConfig(sim.courses, lines, fuzz::appFolder());
    fuzz::require(std::isfinite(sim.courses.robotHalf));
    for (int c = 0; c < std::min(courseCount(sim.courses), 8); ++c) {
        const CourseRecord& course = sim.courses.courses[size_t(c)];
        fuzz::require(std::isfinite(course.startX) && std::isfinite(course.startY) &&
                      std::isfinite(course.startHeading));
        if (!selectCourse(sim, c)) continue;
        playCommand(sim, lineFollower());
        for (int tick = 0; tick < 20; ++tick) stepSimulation(sim);
        fuzz::require(std::isfinite(sim.robot.x) && std::isfinite(sim.robot.y));
    }
    return 0;
}
