#include "sim/lap_record_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <system_error>
#include <thread>

#include "model/atomic_file.h"
#include "sim/course_picture.h"

namespace trovel {

RecordsRead parseRecords(const std::vector<uint8_t>& bytes) {
    RecordsRead result;
    if (bytes.empty()) {
        result.status = RecordStatus::Truncated;
        return result;
    }
    size_t n = bytes[0];
    if (bytes.size() < 1 + 4 * n) {
        result.status = RecordStatus::Truncated;
        return result;
    }
    result.times.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = bytes.data() + 1 + 4 * i;
        int32_t t =
            static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        // No lap takes no time or more than the display cap: such a time is damage, and kept it
        // would stand as a best time no run can beat.
        result.times.push_back(t > 0 && t < kNoRecordMs ? t : kNoRecordMs);
    }
    result.status = RecordStatus::Read;
    return result;
}

RecordsRead readRecordsFile(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return {};
    return parseRecords(bytes);
}

std::vector<uint8_t> encodeRecords(const std::vector<int32_t>& bestTimes) {
    size_t n = std::min(bestTimes.size(), size_t(kMaxStoredRecords));
    std::vector<uint8_t> bytes;
    bytes.reserve(1 + 4 * n);
    bytes.push_back(static_cast<uint8_t>(n));
    for (size_t i = 0; i < n; ++i) {
        uint32_t v = static_cast<uint32_t>(bestTimes[i]);
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
    }
    return bytes;
}

bool writeRecordsFile(const std::filesystem::path& path, const std::vector<int32_t>& bestTimes) {
    return writeFileAtomically(path, encodeRecords(bestTimes));
}

RecordsLock::RecordsLock(const std::filesystem::path& recordsFile, std::chrono::milliseconds wait) {
    std::filesystem::path lockPath = recordsFile;
    lockPath += ".lock";
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0) return;
    // Polled rather than blocking: a studio that hangs while saving must not hang the others.
    const auto giveUp = std::chrono::steady_clock::now() + wait;
    while (!(m_held = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

RecordsLock::~RecordsLock() {
    if (m_fd < 0) return;
    if (m_held) ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
}

}  // namespace trovel
