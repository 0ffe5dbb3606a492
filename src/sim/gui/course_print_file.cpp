#include "sim/gui/course_print_file.h"

#include "base/gui/headless_app.h"
#include "base/gui/ui_text.h"
#include "sim/gui/course_pdf.h"

namespace trovel {

MatSize printedMatSize(const PrintableCourse& course, const CoursePrintOptions& options) {
    return options.size ? fitCourseToMat(*options.size) : defaultMatSize(course.robotHalf);
}

CoursePrintStatus printCourseFile(const PrintableCourse& course, const std::u16string& name,
                                  const CoursePrintOptions& options, CoursePrintSummary& summary) {
    if (!course.picture) return CoursePrintStatus::NoPicture;
    const MatSize mat = printedMatSize(course, options);
    if (!matSizeAllowed(mat)) return CoursePrintStatus::BadSize;

    const HeadlessGui headless;
    CoursePdfJob job;
    job.picture = coursePictureImage(*course.picture);
    if (job.picture.isNull()) return CoursePrintStatus::NoPicture;
    job.courseName = toQString(name.empty() ? course.name : name);
    job.poster = options.poster;
    if (options.poster) {
        job.plan.mat = mat;
        job.plan.mmPerUnit = mat.width / kCourseWidth;
    } else {
        job.plan = planTiles({mat, options.paper, options.landscape});
        if (job.plan.status == TilePlanStatus::TooManyPages || job.plan.status == TilePlanStatus::NoRoom)
            return CoursePrintStatus::TooManyPages;
        if (job.plan.status != TilePlanStatus::Ok) return CoursePrintStatus::BadSize;
    }
    if (!saveCoursePdf(QString::fromStdU16String(options.out.u16string()), job)) return CoursePrintStatus::CannotWrite;

    summary.pages = coursePdfPages(job);
    summary.rows = options.poster ? 0 : job.plan.rows;
    summary.columns = options.poster ? 0 : job.plan.columns;
    summary.mmPerUnit = job.plan.mmPerUnit;
    summary.mat = mat;
    return CoursePrintStatus::Written;
}

}  // namespace trovel
