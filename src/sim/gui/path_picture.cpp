#include "sim/gui/path_picture.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <cmath>

#include "sim/sim_world.h"

namespace trovel {

namespace {

constexpr int kMaxWidth = 4096;

// The pixel copy is stored bottom-up in blue, green, red.
QImage courseImage(const CoursePicture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    for (int row = 0; row < picture.height; ++row) {
        const uint8_t* source = picture.pixels.data() + size_t(picture.height - 1 - row) * size_t(picture.width) * 3;
        uchar* line = image.scanLine(row);
        for (int col = 0; col < picture.width; ++col) {
            line[3 * col] = source[3 * col + 2];
            line[3 * col + 1] = source[3 * col + 1];
            line[3 * col + 2] = source[3 * col];
        }
    }
    return image;
}

}  // namespace

std::vector<uint8_t> pathPicturePng(const CoursePicture* course, const std::vector<Vec2>& path, int width) {
    if (width < 1 || width > kMaxWidth) return {};
    const int height = std::max(1, width * kCourseHeight / kCourseWidth);
    QImage image(width, height, QImage::Format_RGB888);
    const bool hasPicture = course && course->width > 0 && course->height > 0 &&
                            course->pixels.size() >= size_t(course->width) * size_t(course->height) * 3;
    if (hasPicture)
        image = courseImage(*course).scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    else
        image.fill(QColor(200, 200, 200));

    const double sx = double(width) / kCourseWidth, sy = double(height) / kCourseHeight;
    auto toPixel = [&](const Vec2& p) { return QPointF((p.x + double(kWorldHalfWidth)) * sx, (p.y + double(kWorldHalfHeight)) * sy); };
    QPolygonF line;
    for (const Vec2& p : path)
        if (std::isfinite(p.x) && std::isfinite(p.y)) line << toPixel(p);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(220, 0, 0), std::max(1.5, width / 140.0)));
        painter.drawPolyline(line);
        const double dot = std::max(2.0, width / 70.0);
        if (!line.isEmpty()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0, 170, 0));
            painter.drawEllipse(line.front(), dot, dot);
            painter.setBrush(QColor(0, 60, 220));
            painter.drawEllipse(line.back(), dot, dot);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return {};
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace trovel
