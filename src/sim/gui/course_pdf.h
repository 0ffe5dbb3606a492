#pragma once
// A course as a PDF: its tiles at the mat's real size, each page with crop and alignment marks, its
// name and a 10 cm scale bar, after an overview page of how the tiles fit; or a single poster page
// of the mat's size for a print shop.

#include <QImage>
#include <QString>

#include "sim/course_picture.h"
#include "sim/print_tiles.h"

class QIODevice;

namespace trovel {

struct CoursePdfJob {
    QImage picture;      // the course picture, 700 x 500
    QString courseName;  // in the language in use
    TilePlan plan;       // planTiles(...); for a poster only its mat is used
    bool poster = false;
};

// The floor sensors' pixel copy as a picture (rows top first).
QImage coursePictureImage(const CoursePicture& picture);

// Writes the PDF to `device`; false when the plan is not Ok, the picture is missing or the writer fails.
bool writeCoursePdf(QIODevice& device, const CoursePdfJob& job);
// The same into a file, which is replaced only by a whole PDF.
bool saveCoursePdf(const QString& path, const CoursePdfJob& job);

// Pages of the PDF the job makes.
inline int coursePdfPages(const CoursePdfJob& job) { return job.poster ? 1 : printedPageCount(job.plan); }

// Length of the scale bar on every tile and on the overview.
constexpr double kScaleBarMm = 100;

}  // namespace trovel
