#pragma once
// A PDF written page by page through Qt's PDF writer and drawn in millimetres from each page's
// top-left corner, so that what is 100 mm in the layout is 100 mm on paper printed at actual size.

#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QRectF>
#include <QString>

#include <functional>

#include "base/paper_size.h"

class QIODevice;

namespace trovel {

class PdfDocument {
public:
    // Every page has the size `page`; nothing is drawn until the first page is used.
    PdfDocument(QIODevice& device, PageSizeMm page, const QString& title);
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    bool ok() const { return m_painter.isActive(); }
    QPainter& painter() { return m_painter; }
    bool newPage();
    // Ends the document; false when the writer could not finish it.
    bool finish();

    double unitsPerMm() const { return m_unitsPerMm; }
    QPointF at(double xMm, double yMm) const { return {xMm * m_unitsPerMm, yMm * m_unitsPerMm}; }
    QRectF rect(const MmRect& r) const {
        return {r.x * m_unitsPerMm, r.y * m_unitsPerMm, r.width * m_unitsPerMm, r.height * m_unitsPerMm};
    }
    // A pen `widthMm` wide.
    QPen pen(const QColor& color, double widthMm, Qt::PenStyle style = Qt::SolidLine) const;
    // Words in `box`, in a Japanese-capable face of `points` size, wrapped when `flags` asks for it.
    void text(const MmRect& box, const QString& words, double points, bool bold = false,
              int flags = Qt::AlignLeft | Qt::AlignVCenter);

private:
    QPdfWriter m_writer;
    QPainter m_painter;
    double m_unitsPerMm = 1;
};

// A Japanese-capable sans-serif face for printed words.
QFont printFont(double points, bool bold = false);

// Runs `write` on a temporary file that replaces `path` only when `write` returns true, so a PDF
// cut short never takes the place of a good one.
bool savePdfFile(const QString& path, const std::function<bool(QIODevice&)>& write);

}  // namespace trovel
