#include "base/gui/pdf_document.h"

#include <QPageLayout>
#include <QPageSize>
#include <QSaveFile>

namespace trovel {

namespace {

QPageSize pageSize(PageSizeMm page) {
    // A standard size keeps its name in the file (printers pick the tray by it); any other is exact.
    return QPageSize(QSizeF(page.width, page.height), QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
}

}  // namespace

PdfDocument::PdfDocument(QIODevice& device, PageSizeMm page, const QString& title) : m_writer(&device) {
    m_writer.setCreator(QStringLiteral("TrovelStudio"));
    m_writer.setTitle(title);
    m_writer.setPageLayout(
        QPageLayout(pageSize(page), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    m_unitsPerMm = m_writer.resolution() / 25.4;
    if (!m_painter.begin(&m_writer)) return;
    // A course picture is its pixels exactly, never a JPEG guess at them.
    m_painter.setRenderHint(QPainter::LosslessImageRendering);
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
}

bool PdfDocument::newPage() { return ok() && m_writer.newPage(); }

bool PdfDocument::finish() { return m_painter.isActive() && m_painter.end(); }

QPen PdfDocument::pen(const QColor& color, double widthMm, Qt::PenStyle style) const {
    QPen p(color, widthMm * m_unitsPerMm, style);
    p.setCapStyle(Qt::FlatCap);
    return p;
}

void PdfDocument::text(const MmRect& box, const QString& words, double points, bool bold, int flags) {
    m_painter.setFont(printFont(points, bold));
    m_painter.setPen(Qt::black);
    m_painter.drawText(rect(box), flags, words);
}

QFont printFont(double points, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
                      QStringLiteral("VL Gothic")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

bool savePdfFile(const QString& path, const std::function<bool(QIODevice&)>& write) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!write(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace trovel
