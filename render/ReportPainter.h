#pragma once
// The printable report (report/ReportPage.h) drawn with QPainter: two A4 portrait pages, in
// points (1/72 inch) whatever the device. A PDF file is written whole or not at all.
//
// Needs a QGuiApplication (fonts); section::GuiForFigures makes one for programs without one.

#include "report/ReportPage.h"

#include <QPainter>
#include <QSizeF>
#include <QString>

namespace mt1d::render {

inline constexpr QSizeF kReportPagePt{595.0, 842.0};  // A4 portrait

// Draws page `index` (0 or 1) of the report on a painter whose device has 72 units per inch
// (a QPdfWriter at resolution 72), the page kReportPagePt.
void PaintReportPage(QPainter& painter, const report::ReportPage& page, int index);

// Writes the report as a PDF; returns an error message naming the file, or an empty string.
QString WriteReportPdf(const report::ReportPage& page, const QString& file);

}  // namespace mt1d::render
