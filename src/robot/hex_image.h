#pragma once
// Intel HEX firmware files read into a byte image indexed by absolute address.

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace trovel {

// Addresses 0 .. 0xF000FF (flash and the memory map area) can be held.
constexpr uint32_t kHexImageLimit = 0xF00100;

enum class HexStatus {
    Loaded,
    CannotOpen,
    BadRecord,       // not hex digits, wrong length, or an unknown record type
    BadChecksum,     // the record's checksum does not add up
    OutOfRange,      // data at or above kHexImageLimit
    NoFirmwareData,  // no data byte in the firmware area: nothing to write
};

struct HexLoadResult {
    HexStatus status = HexStatus::CannotOpen;
    std::vector<uint8_t> image;  // bytes 0 .. highest address written; gaps are 0x00
    int line = 0;                // 1-based line of a bad record
    bool ok() const { return status == HexStatus::Loaded; }
};

// Reads a HEX file (UTF-16 with byte-order mark, or ANSI). Lines that do not start with ':' are
// skipped; every record is checked (digits, length, checksum) and one bad record refuses the
// whole file, so a damaged file never reaches the robot. Data (00), end of file (01), extended
// segment (02) and extended linear (04) addresses are used; start addresses (03, 05) ignored.
HexLoadResult loadHexImage(const std::filesystem::path& path);
// The same over lines already in memory (line numbers count from 1).
HexLoadResult parseHexLines(const std::vector<std::u16string>& lines);

}  // namespace trovel
