#include "sim/gui/sim_textures.h"

#include <QPainter>
#include <QString>

#include "model/text_convert.h"

namespace trovel {

namespace {
const QImage kNoImage;
}  // namespace

QImage applyColourKey(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (line[x] == 0xFF000000u) line[x] = 0;
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

bool SimTextures::load(int slot, const std::filesystem::path& file) {
    if (slot < 0) return false;
    QImage image(QString::fromStdU16String(pathText(file)));
    if (image.isNull()) return false;
    if (size_t(slot) >= m_keyed.size()) {
        m_keyed.resize(size_t(slot) + 1);
        m_opaque.resize(size_t(slot) + 1);
    }
    m_keyed[size_t(slot)] = applyColourKey(image);
    // A picture with transparency lies on white paper, as the floor sensors read it.
    QImage opaque(image.size(), QImage::Format_RGB32);
    if (image.hasAlphaChannel()) {
        opaque.fill(Qt::white);
        QPainter(&opaque).drawImage(0, 0, image);
    } else {
        opaque = image.convertToFormat(QImage::Format_RGB32);
    }
    m_opaque[size_t(slot)] = opaque;
    return true;
}

std::function<bool(int, const std::filesystem::path&)> SimTextures::loader() {
    return [this](int slot, const std::filesystem::path& file) { return load(slot, file); };
}

const QImage& SimTextures::keyed(int slot) const {
    return slot >= 0 && size_t(slot) < m_keyed.size() ? m_keyed[size_t(slot)] : kNoImage;
}

const QImage& SimTextures::opaque(int slot) const {
    return slot >= 0 && size_t(slot) < m_opaque.size() ? m_opaque[size_t(slot)] : kNoImage;
}

}  // namespace trovel
