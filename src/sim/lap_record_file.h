#pragma once
// record.dat: one count byte, then that many best times as signed 32-bit little-endian milliseconds.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace trovel {

constexpr int kMaxStoredRecords = 255;  // what the count byte can hold
constexpr int kNoRecordMs = 599999;     // the best time that means no record (also the display cap)

enum class RecordStatus {
    Read,
    CannotOpen,  // no file: the times stay as they were
    Truncated,   // shorter than its count: rejected as a whole, the times stay as they were
};

struct RecordsRead {
    RecordStatus status = RecordStatus::CannotOpen;
    std::vector<int32_t> times;  // the stored times in course order (only when Read); 1..599999
};

RecordsRead parseRecords(const std::vector<uint8_t>& bytes);
RecordsRead readRecordsFile(const std::filesystem::path& path);
// The file's bytes for these best times; only the first kMaxStoredRecords are kept.
std::vector<uint8_t> encodeRecords(const std::vector<int32_t>& bestTimes);
// Writes beside the target and renames over it; false (silently) when that fails.
bool writeRecordsFile(const std::filesystem::path& path, const std::vector<int32_t>& bestTimes);

// How long a save waits for another studio's save to finish before it goes ahead regardless.
constexpr std::chrono::milliseconds kRecordsLockWait{5000};

// An advisory lock (flock) on "record.dat.lock" beside the records file, held while a studio reads,
// merges and writes its records and ghosts, so that studios saving at the same time take turns.
// The lock file stays: removing it would let two studios lock two different files.
class RecordsLock {
public:
    explicit RecordsLock(const std::filesystem::path& recordsFile, std::chrono::milliseconds wait = kRecordsLockWait);
    ~RecordsLock();
    RecordsLock(const RecordsLock&) = delete;
    RecordsLock& operator=(const RecordsLock&) = delete;
    // False when the lock file could not be made or another studio kept the lock past the wait.
    bool held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

}  // namespace trovel
