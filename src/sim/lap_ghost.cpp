#include "sim/lap_ghost.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <system_error>

#include "model/atomic_file.h"
#include "model/portable_bits.h"
#include "sim/course_picture.h"

namespace trovel {

namespace {

constexpr char kMagic[4] = {'T', 'R', 'V', 'G'};
constexpr uint8_t kVersion = 1;
constexpr size_t kMaxNameUnits = 255;
constexpr uint32_t kTickMsOfLap = 16;
// Poses outside the walls by more than a robot are damage.
constexpr float kPoseLimit = 400;
constexpr std::uintmax_t kMaxGhostFileBytes = 1u << 20;

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// FNV-1a: catches a flipped or lost byte; the file is no secret to guard.
uint32_t checksum(const uint8_t* p, size_t n) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}

}  // namespace

std::filesystem::path ghostPath(const std::filesystem::path& recordsDir, int course) {
    return recordsDir / ("ghost_" + std::to_string(course) + ".dat");
}

std::vector<uint8_t> encodeGhost(const LapGhost& ghost, const std::u16string& courseName) {
    std::vector<uint8_t> out(std::begin(kMagic), std::end(kMagic));
    out.push_back(kVersion);
    const size_t nameUnits = std::min(courseName.size(), kMaxNameUnits);
    out.push_back(static_cast<uint8_t>(nameUnits));
    for (size_t i = 0; i < nameUnits; ++i) {
        out.push_back(static_cast<uint8_t>(courseName[i]));
        out.push_back(static_cast<uint8_t>(courseName[i] >> 8));
    }
    put32(out, static_cast<uint32_t>(ghost.lapMs));
    put32(out, static_cast<uint32_t>(ghost.poses.size()));
    for (const GhostPose& pose : ghost.poses)
        for (float v : {pose.x, pose.y, pose.heading}) put32(out, bitCast<uint32_t>(v));
    put32(out, checksum(out.data(), out.size()));
    return out;
}

std::optional<LapGhost> parseGhost(const std::vector<uint8_t>& bytes, const std::u16string& courseName, int bestMs) {
    const size_t nameUnits = std::min(courseName.size(), kMaxNameUnits);
    const size_t header = sizeof kMagic + 2 + 2 * nameUnits + 8;
    if (bytes.size() < header + 4) return std::nullopt;
    const uint8_t* p = bytes.data();
    if (std::memcmp(p, kMagic, sizeof kMagic) != 0 || p[4] != kVersion || p[5] != nameUnits) return std::nullopt;
    for (size_t i = 0; i < nameUnits; ++i)
        if (char16_t(p[6 + 2 * i] | p[7 + 2 * i] << 8) != courseName[i]) return std::nullopt;
    const uint8_t* q = p + 6 + 2 * nameUnits;
    const int lapMs = static_cast<int32_t>(get32(q));
    const uint32_t count = get32(q + 4);
    // One pose at the start and one per timed tick: a lap of any other length is not this record's.
    if (lapMs != bestMs || lapMs <= 0 || uint32_t(lapMs) % kTickMsOfLap != 0 ||
        count != uint32_t(lapMs) / kTickMsOfLap + 1 || count > kMaxGhostPoses)
        return std::nullopt;
    if (bytes.size() != header + 12 * size_t(count) + 4) return std::nullopt;
    if (get32(bytes.data() + bytes.size() - 4) != checksum(bytes.data(), bytes.size() - 4)) return std::nullopt;
    LapGhost ghost;
    ghost.lapMs = lapMs;
    ghost.poses.reserve(count);
    const uint8_t* r = q + 8;
    for (uint32_t i = 0; i < count; ++i, r += 12) {
        GhostPose pose{bitCast<float>(get32(r)), bitCast<float>(get32(r + 4)),
                       bitCast<float>(get32(r + 8))};
        if (!(std::fabs(pose.x) <= kPoseLimit && std::fabs(pose.y) <= kPoseLimit && std::isfinite(pose.heading)))
            return std::nullopt;
        ghost.poses.push_back(pose);
    }
    return ghost;
}

std::optional<LapGhost> readGhostFile(const std::filesystem::path& path, const std::u16string& courseName, int bestMs) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes, kMaxGhostFileBytes)) return std::nullopt;
    return parseGhost(bytes, courseName, bestMs);
}

bool writeGhostFile(const std::filesystem::path& path, const LapGhost& ghost, const std::u16string& courseName) {
    return writeFileAtomically(path, encodeGhost(ghost, courseName));
}

GhostPose ghostPoseAt(const LapGhost& ghost, int lapMs) {
    if (ghost.poses.empty()) return {};
    const size_t i = lapMs <= 0 ? 0 : size_t(lapMs) / kTickMsOfLap;
    return ghost.poses[std::min(i, ghost.poses.size() - 1)];
}

}  // namespace trovel
