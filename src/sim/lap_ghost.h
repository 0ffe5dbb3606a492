#pragma once
// The best lap's ghost: the robot's pose on every timed tick of the run that set a course's record,
// replayed beside the next runs. Each course keeps its ghost in its own file beside record.dat.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace trovel {

struct GhostPose {
    float x = 0;  // world units
    float y = 0;
    float heading = 0;  // radians
    bool operator==(const GhostPose&) const = default;
};

struct LapGhost {
    int lapMs = 0;                 // the record it belongs to: shown only while the course's best time is this
    std::vector<GhostPose> poses;  // pose at lap time 16 x i; lapMs / 16 + 1 of them
    bool saved = true;             // the file holds it
    bool operator==(const LapGhost& other) const { return lapMs == other.lapMs && poses == other.poses; }
};

// A whole lap never holds more poses than the longest lap time has ticks.
constexpr size_t kMaxGhostPoses = 599999 / 16 + 1;

// The ghost file of course `course`: ghost_N.dat beside record.dat.
std::filesystem::path ghostPath(const std::filesystem::path& recordsDir, int course);

// The file's bytes: "TRVG", version, the course name it was driven on, lap time, poses, checksum.
std::vector<uint8_t> encodeGhost(const LapGhost& ghost, const std::u16string& courseName);
// The ghost in `bytes` when they are whole and belong to this course and record; else none.
std::optional<LapGhost> parseGhost(const std::vector<uint8_t>& bytes, const std::u16string& courseName, int bestMs);

// Reads the course's ghost file; none when it is missing, damaged, foreign or out of date.
std::optional<LapGhost> readGhostFile(const std::filesystem::path& path, const std::u16string& courseName, int bestMs);
// Replaces the file in one step; false (silently) when that fails.
bool writeGhostFile(const std::filesystem::path& path, const LapGhost& ghost, const std::u16string& courseName);

// The pose the ghost shows at a lap time: its last one once its lap is over.
GhostPose ghostPoseAt(const LapGhost& ghost, int lapMs);

}  // namespace trovel
