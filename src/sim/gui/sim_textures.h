#pragma once
// The simulator's images by texture slot, made drawable: opaque black becomes transparent.

#include <QImage>

#include <filesystem>
#include <functional>
#include <vector>

namespace trovel {

class SimTextures {
public:
    // Loads slot `slot` from `file`, replacing what the slot held; false when the file is no image.
    bool load(int slot, const std::filesystem::path& file);
    // The hook the course loader calls for every image line.
    std::function<bool(int slot, const std::filesystem::path& file)> loader();
    void clear() {
        m_keyed.clear();
        m_opaque.clear();
    }

    // With the colour key applied (premultiplied ARGB), or a null image for an empty slot.
    const QImage& keyed(int slot) const;
    // The picture as it is, for quads drawn without blending.
    const QImage& opaque(int slot) const;
    int count() const { return static_cast<int>(m_keyed.size()); }

private:
    std::vector<QImage> m_keyed;
    std::vector<QImage> m_opaque;
};

// The image with every opaque black pixel made fully transparent.
QImage applyColourKey(const QImage& image);

}  // namespace trovel
