#include "sim/gui/course_pdf.h"

#include <QPainterPath>

#include <algorithm>

#include "base/gui/pdf_document.h"
#include "base/gui/ui_text.h"
#include "base/string_ids.h"

namespace trovel {

namespace {

constexpr double kMarkRadiusMm = 3;
constexpr double kCropGapMm = 2;
constexpr double kCropLengthMm = 6;
const QColor kMarkColor(96, 96, 96);
constexpr int kPrintedPixelsPerCoursePixel = 4;

// The bar and its note in the bottom margin, clear of the crop marks at the corners.
void drawScaleBar(PdfDocument& pdf, PageSizeMm page, double marginMm) {
    const double left = marginMm + 10;
    const double top = page.height - marginMm + 4;
    QPainter& p = pdf.painter();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(pdf.rect({left, top, kScaleBarMm, 1.5}));
    // Centimetre ticks above the bar: the bar itself stays one unbroken length to measure.
    p.setPen(pdf.pen(Qt::black, 0.2));
    for (int cm = 0; cm <= 10; ++cm) {
        const double x = left + cm * 10 + (cm == 0 ? 0.1 : cm == 10 ? -0.1 : 0);
        p.drawLine(pdf.at(x, top - (cm % 5 == 0 ? 2.0 : 1.0)), pdf.at(x, top));
    }
    const double noteLeft = left + kScaleBarMm + 3;
    pdf.text({noteLeft, top - 3, page.width - marginMm - 8 - noteLeft, 7.5}, uiFormat(Str::PrintScaleNote, {}), 6.5,
             false, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap);
}

void drawCropMarks(PdfDocument& pdf, const MmRect& r) {
    QPainter& p = pdf.painter();
    p.setPen(pdf.pen(Qt::black, 0.2));
    const double g = kCropGapMm, l = kCropGapMm + kCropLengthMm;
    for (double x : {r.x, r.right()}) {
        const double out = x == r.x ? -1 : 1;
        for (double y : {r.y, r.bottom()}) {
            const double down = y == r.y ? -1 : 1;
            p.drawLine(pdf.at(x + out * g, y), pdf.at(x + out * l, y));
            p.drawLine(pdf.at(x, y + down * g), pdf.at(x, y + down * l));
        }
    }
}

void drawAlignmentMark(PdfDocument& pdf, double x, double y) {
    QPainter& p = pdf.painter();
    p.setPen(pdf.pen(kMarkColor, 0.25));
    p.setBrush(Qt::NoBrush);
    const double r = kMarkRadiusMm * pdf.unitsPerMm();
    p.drawEllipse(pdf.at(x, y), r, r);
    p.drawLine(pdf.at(x - kMarkRadiusMm - 1, y), pdf.at(x + kMarkRadiusMm + 1, y));
    p.drawLine(pdf.at(x, y - kMarkRadiusMm - 1), pdf.at(x, y + kMarkRadiusMm + 1));
}

// The whole picture placed so that the mat's point (matX, matY) falls on the page's (pageX, pageY);
// the caller clips it to the part that belongs on the page.
void drawMatPicture(PdfDocument& pdf, const QImage& picture, const MatSize& mat, double pageX, double pageY,
                    double matX, double matY, double scale = 1) {
    pdf.painter().drawImage(
        pdf.rect({pageX - matX * scale, pageY - matY * scale, mat.width * scale, mat.height * scale}), picture);
}

// A course pixel is 2 mm on the shipped mat: printed as it is, every curve is a staircase of hard
// steps. The picture is printed at up to four times its pixels, smoothed, which keeps each pixel's
// own colour at its centre; one copy serves every page. A larger picture is enlarged less, so no
// picture grows past 2800 pixels across.
QImage printedPicture(const QImage& picture) {
    const int factor = std::clamp(kCourseWidth * kPrintedPixelsPerCoursePixel / std::max(1, picture.width()), 1,
                                  kPrintedPixelsPerCoursePixel);
    if (factor == 1) return picture;
    return picture.scaled(picture.size() * factor, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void drawTilePage(PdfDocument& pdf, const CoursePdfJob& job, const QImage& picture, const PrintTile& tile,
                  const std::vector<MmPoint>& marks) {
    const TilePlan& plan = job.plan;
    const double margin = tile.page.x;
    QPainter& p = pdf.painter();

    p.save();
    p.setClipRect(pdf.rect(tile.page));
    drawMatPicture(pdf, picture, plan.mat, tile.page.x, tile.page.y, tile.mat.x, tile.mat.y);
    const double dx = tile.page.x - tile.mat.x, dy = tile.page.y - tile.mat.y;
    // Where the next page's trimmed edge comes to lie: glue up to this line.
    p.setPen(pdf.pen(kMarkColor, 0.2, Qt::DashLine));
    if (tile.column + 1 < plan.columns) {
        const double x = tile.mat.right() - plan.overlapMm + dx;
        p.drawLine(pdf.at(x, tile.page.y), pdf.at(x, tile.page.bottom()));
    }
    if (tile.row + 1 < plan.rows) {
        const double y = tile.mat.bottom() - plan.overlapMm + dy;
        p.drawLine(pdf.at(tile.page.x, y), pdf.at(tile.page.right(), y));
    }
    for (const MmPoint& m : marks)
        if (tile.mat.contains(m.x, m.y)) drawAlignmentMark(pdf, m.x + dx, m.y + dy);
    p.restore();

    drawCropMarks(pdf, tile.page);
    const double labelTop = std::max(3.0, margin - 9);
    pdf.text({margin + 4, labelTop, 20, 7}, QString::fromStdString(tileName(tile.row, tile.column)), 14, true);
    pdf.text(
        {margin + 24, labelTop, plan.page.width - 2 * margin - 28, 7},
        uiFormat(Str::PrintTileLabel, {tile.column + 1, plan.columns, tile.row + 1, plan.rows, toU16(job.courseName)}),
        8);
    drawScaleBar(pdf, plan.page, margin);
}

void drawOverviewPage(PdfDocument& pdf, const CoursePdfJob& job) {
    const TilePlan& plan = job.plan;
    const double margin = plan.tiles.front().page.x;
    const double width = plan.page.width - 2 * margin;
    pdf.text({margin, margin, width, 8}, uiFormat(Str::PrintOverviewTitle, {toU16(job.courseName)}), 14, true);
    const QString orientation = uiText(plan.landscape ? Str::PrintLandscape : Str::PrintPortrait);
    const QString paper = QString::fromLatin1(paperName(plan.paper).data(), qsizetype(paperName(plan.paper).size()));
    pdf.text({margin, margin + 9, width, 5},
             uiFormat(Str::PrintOverviewInfo, {plan.mat.width, plan.mat.height, plan.mmPerUnit, toU16(paper),
                                               toU16(orientation), printedPageCount(plan)}),
             9);
    pdf.text({margin, margin + 14, width, 10}, uiText(Str::PrintAssembly), 8, false,
             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);

    const MmRect area{margin, margin + 26, width, plan.page.height - 2 * margin - 28};
    const double scale = std::min(area.width / plan.mat.width, area.height / plan.mat.height);
    const double left = area.x + (area.width - plan.mat.width * scale) / 2;
    const double top = area.y;
    QPainter& p = pdf.painter();
    p.save();
    p.setClipRect(pdf.rect({left, top, plan.mat.width * scale, plan.mat.height * scale}));
    drawMatPicture(pdf, job.picture, plan.mat, left, top, 0, 0, scale);
    p.restore();
    p.setPen(pdf.pen(QColor(0, 0, 0), 0.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(pdf.rect({left, top, plan.mat.width * scale, plan.mat.height * scale}));
    for (const PrintTile& t : plan.tiles) {
        const MmRect r{left + t.mat.x * scale, top + t.mat.y * scale, t.mat.width * scale, t.mat.height * scale};
        p.setPen(pdf.pen(QColor(0, 90, 200), 0.35));
        p.setBrush(QColor(0, 90, 200, 24));
        p.drawRect(pdf.rect(r));
        // The name on a white patch in the middle of the tile's own part (clear of the overlaps).
        const QString name = QString::fromStdString(tileName(t.row, t.column));
        const double points = std::clamp(std::min(r.width, r.height) * 0.9, 5.0, 16.0);
        const MmRect label{r.x + r.width / 2 - points * 0.45, r.y + r.height / 2 - points * 0.25, points * 0.9,
                           points * 0.5};
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 220));
        p.drawRect(pdf.rect(label));
        pdf.text(label, name, points, true, Qt::AlignCenter);
    }
    drawScaleBar(pdf, plan.page, margin);
}

}  // namespace

QImage coursePictureImage(const CoursePicture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() < size_t(picture.width) * size_t(picture.height) * 3)
        return {};
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    const size_t row = size_t(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* from = picture.pixels.data() + size_t(picture.height - 1 - y) * row;
        uchar* to = image.scanLine(y);
        for (int x = 0; x < picture.width; ++x) {
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
    return image;
}

bool writeCoursePdf(QIODevice& device, const CoursePdfJob& job) {
    if (job.picture.isNull()) return false;
    if (job.poster) {
        if (!matSizeAllowed(job.plan.mat)) return false;
        PdfDocument pdf(device, {job.plan.mat.width, job.plan.mat.height}, job.courseName);
        if (!pdf.ok()) return false;
        drawMatPicture(pdf, printedPicture(job.picture), job.plan.mat, 0, 0, 0, 0);
        return pdf.finish();
    }
    if (job.plan.status != TilePlanStatus::Ok || job.plan.tiles.empty()) return false;
    PdfDocument pdf(device, job.plan.page, job.courseName);
    if (!pdf.ok()) return false;
    drawOverviewPage(pdf, job);
    const std::vector<MmPoint> marks = alignmentMarks(job.plan);
    const QImage picture = printedPicture(job.picture);
    for (const PrintTile& tile : job.plan.tiles) {
        if (!pdf.newPage()) return false;
        drawTilePage(pdf, job, picture, tile, marks);
    }
    return pdf.finish();
}

bool saveCoursePdf(const QString& path, const CoursePdfJob& job) {
    return savePdfFile(path, [&job](QIODevice& device) { return writeCoursePdf(device, job); });
}

}  // namespace trovel
