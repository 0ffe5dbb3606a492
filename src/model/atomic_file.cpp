#include "model/atomic_file.h"

#include <cstdio>
#include <unistd.h>

namespace trovel {

bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::filesystem::path temp = path;
    temp += ".saving~";
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    // Without the sync a power cut after the rename can leave an empty file in place of the old one.
    ok = ok && std::fflush(out) == 0 && ::fsync(fileno(out)) == 0;
    ok = std::fclose(out) == 0 && ok;
    std::error_code ec;
    if (ok) {
        std::filesystem::rename(temp, path, ec);
        ok = !ec;
    }
    if (!ok) std::filesystem::remove(temp, ec);
    return ok;
}

}  // namespace trovel
