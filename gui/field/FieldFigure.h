#pragma once
// The sounding window's plots as one figure in a file: ρa and phase on the left, the model
// against depth on the right. The format follows the file's suffix: .png (raster, twice the
// logical size), .svg (vector, through QSvgGenerator), .pdf (vector, one page the size of the
// figure). Each plot is drawn by QCustomPlot's own painter, so the file shows what the window
// shows. A caption (site, mode, method, RMS: what the figure is of) goes in a strip above the
// plots; the file grows by the strip and the plots keep their size.

#include <QRectF>
#include <QSize>
#include <QString>

#include <span>

class QCustomPlot;

namespace mt1d::gui::field {

struct FigurePlots {
    QCustomPlot* rho = nullptr;
    QCustomPlot* phase = nullptr;
    QCustomPlot* depth = nullptr;
};

inline constexpr QSize kFigureSize{1200, 800};  // logical pixels (PDF: points)

// Writes the figure; returns an empty string, or what went wrong for the user.
QString SaveFigure(const QString& file, const FigurePlots& plots, QSize size = kFigureSize,
                   const QString& caption = {});

// Any arrangement of plots: each part takes `share` of the figure (fractions of its width and
// height, from the top left).
struct FigurePart {
    QCustomPlot* plot = nullptr;
    QRectF share;
};
QString SaveFigure(const QString& file, std::span<const FigurePart> parts, QSize size = kFigureSize,
                   const QString& caption = {});

inline constexpr int kCaptionHeight = 28;  // logical pixels, when there is a caption

}  // namespace mt1d::gui::field
