#include "model/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

namespace trovel {

namespace {

// The rename lives in the folder: until the folder reaches the disk too, a power cut can bring back
// the old file, or no file at all where there was none. Best effort: some file systems refuse to
// sync a folder, and the new file is already in place.
void syncFolderOf(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool finishAtomicWrite(std::FILE* out, bool ok, const std::filesystem::path& temp,
                       const std::filesystem::path& target) {
    // Without the sync a power cut after the rename can leave an empty file in place of the old one.
    ok = ok && std::fflush(out) == 0 && ::fsync(fileno(out)) == 0;
    ok = std::fclose(out) == 0 && ok;
    std::error_code ec;
    if (ok) {
        std::filesystem::rename(temp, target, ec);
        ok = !ec;
        if (ok) syncFolderOf(target);
    }
    if (!ok) std::filesystem::remove(temp, ec);
    return ok;
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::filesystem::path temp = path;
    temp += ".saving~";
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    if (!out) return false;
    return finishAtomicWrite(out, std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size(), temp, path);
}

}  // namespace trovel
