#include "app/gui/screenshot_export.h"

#include <QDir>
#include <QFileDialog>
#include <QImageWriter>
#include <QPainter>

#include <vector>

#include "base/gui/ui_text.h"
#include "base/gui/user_question.h"
#include "app/screenshot_path.h"
#include "base/string_ids.h"
#include "editor/gui/chart_drawing.h"

namespace trovel {

namespace {

const QString kJpegFilter = QStringLiteral("jpg (*.jpg)");
const QString kPngFilter = QStringLiteral("png (*.png)");

void tell(QWidget* owner, const Asker& asker, QMessageBox::Icon icon, const QString& text) {
    const Question question{text, icon, QMessageBox::Ok};
    if (asker) asker(question);
    else askInBox(owner, uiText(Str::MessageCaption), question, QStringLiteral("screenshotMessage"));
}

}  // namespace

bool startImageExport(QWidget* owner, const Asker& asker) {
    const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
    if (formats.contains("jpg") || formats.contains("jpeg")) return true;
    tell(owner, asker, QMessageBox::Critical, uiText(Str::JpegUnavailable));
    return false;
}

QImage renderChartImage(BlockProgram& program, const ChartStyle& style, uint32_t options) {
    const ChartExtent extent = chartExtent(program, QSize(), false);
    QImage image(std::max(1, extent.content.right), std::max(1, extent.content.bottom), QImage::Format_RGB32);
    {
        QPainter painter(&image);
        ChartView view;
        view.scroll = QPoint(0, 0);
        view.client = image.size();
        view.full = true;
        view.window = false;        // leaves the marks the program area still has to repaint
        view.editingMarks = false;  // the program, not what the pupil was doing with it
        drawChart(painter, program, style, options, view);
    }
    return image;
}

bool saveChartImage(const QString& path, BlockProgram& program, const ChartStyle& style, uint32_t options) {
    if (path.isEmpty()) return false;
    const bool png = path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    return renderChartImage(program, style, options).save(path, png ? "PNG" : "JPG");
}

bool exportChartImageTo(QWidget* owner, const QString& path, BlockProgram& program, const ChartStyle& style,
                        uint32_t options, const Asker& asker) {
    if (!saveChartImage(path, program, style, options)) {
        tell(owner, asker, QMessageBox::Critical, uiText(Str::ScreenshotFailed));
        return false;
    }
    const QString shown = toQString(shortenPathMiddle(toU16(QDir::toNativeSeparators(path))));
    tell(owner, asker, QMessageBox::NoIcon, QStringLiteral("%1\n\n'%2'").arg(uiText(Str::ScreenshotSaved), shown));
    return true;
}

void exportScreenshot(QWidget* owner, BlockProgram& program, const ChartStyle& style, uint32_t options,
                      const QString& startDir, QString& lastChosen, const Asker& asker) {
    QFileDialog dialog(owner, uiText(Str::ScreenshotDialogTitle), startDir);
    dialog.setObjectName(QStringLiteral("screenshotDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kJpegFilter, kPngFilter});
    dialog.setDefaultSuffix(QStringLiteral("jpg"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter == kPngFilter ? QStringLiteral("png") : QStringLiteral("jpg"));
    });
    if (!lastChosen.isEmpty()) {
        dialog.selectFile(lastChosen);
        if (lastChosen.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
            dialog.selectNameFilter(kPngFilter);
            dialog.setDefaultSuffix(QStringLiteral("png"));
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().first();
    lastChosen = path;
    exportChartImageTo(owner, path, program, style, options, asker);
}

}  // namespace trovel
