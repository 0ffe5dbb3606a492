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

std::vector<uint8_t> pathPicturePng(const CoursePicture* course, const std::vector<Vec2>& path, int width,
                                    const CourseRecord* areas) {
    if (width < 1 || width > kMaxWidth) return {};
    const int height = std::max(1, width * kCourseHeight / kCourseWidth);
    QImage image(width, height, QImage::Format_RGB888);
    const bool hasPicture = course && course->width > 0 && course->height > 0 &&
                            course->pixels.size() >= size_t(course->width) * size_t(course->height) * 3;
    if (hasPicture) image = courseImage(*course).scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    else image.fill(QColor(200, 200, 200));

    const double sx = double(width) / kCourseWidth, sy = double(height) / kCourseHeight;
    auto toPixel = [&](const Vec2& p) {
        return QPointF((p.x + double(kWorldHalfWidth)) * sx, (p.y + double(kWorldHalfHeight)) * sy);
    };
    QPolygonF line;
    for (const Vec2& p : path)
        if (std::isfinite(p.x) && std::isfinite(p.y)) line << toPixel(p);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        if (areas) {
            // The colours of the simulator's own judging-area overlay, see-through over the course.
            const int flags = areas->judgingFlags;
            auto area = [&](const CourseRect& r, QColor colour) {
                painter.setPen(QPen(colour, std::max(1.0, width / 350.0)));
                colour.setAlpha(70);
                painter.setBrush(colour);
                painter.drawRect(QRectF(toPixel({r.x1, r.y1}), toPixel({r.x2, r.y2})).normalized());
            };
            if (flags & JudgeFlag::Timed) area(areas->goal, QColor(0, 200, 0));
            if (flags & JudgeFlag::Forbidden) area(areas->forbidden, QColor(0, 0, 255));
            if (flags & JudgeFlag::Checkpoints)
                for (const CourseRect& r : areas->checkpoints) area(r, QColor(255, 0, 255));
            painter.setBrush(Qt::NoBrush);
        }
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
