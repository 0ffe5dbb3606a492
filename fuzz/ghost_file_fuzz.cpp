// ghost_N.dat: the best lap's poses. A file is taken only when whole, and what is taken writes back
// byte for byte. The expected lap time is read from the input itself, so the poses get parsed too.

#include "fuzz/fuzz_input.h"
#include "sim/lap_ghost.h"

using namespace trovel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string course = u"コース";
    const size_t lapAt = 6 + 2 * course.size();
    int bestMs = 16;
    if (size >= lapAt + 4)
        bestMs = int(int32_t(uint32_t(data[lapAt]) | uint32_t(data[lapAt + 1]) << 8 | uint32_t(data[lapAt + 2]) << 16 |
                             uint32_t(data[lapAt + 3]) << 24));
    std::filesystem::path path = fuzz::writeScratch("ghost_0.dat", data, size);
    std::optional<LapGhost> ghost = readGhostFile(path, course, bestMs);
    if (!ghost) return 0;
    fuzz::require(ghost->lapMs == bestMs && ghost->poses.size() == size_t(bestMs) / 16 + 1);
    fuzz::require(ghost->poses.size() <= kMaxGhostPoses);
    fuzz::require(encodeGhost(*ghost, course) == std::vector<uint8_t>(data, data + size));
    const GhostPose last = ghostPoseAt(*ghost, bestMs * 2);
    fuzz::require(last == ghost->poses.back());
    return 0;
}
