#include "FieldFigure.h"

#include <qcustomplot.h>

#include <QFileInfo>
#include <QImage>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace mt1d::gui::field {

namespace {

void Paint(QCPPainter& painter, const FigurePlots& plots, QSize size)
{
    const int left = size.width() * 11 / 20;
    const int half = size.height() / 2;
    const struct {
        QCustomPlot* plot;
        QRect rect;
    } parts[] = {{plots.rho, QRect(0, 0, left, half)},
                 {plots.phase, QRect(0, half, left, size.height() - half)},
                 {plots.depth, QRect(left, 0, size.width() - left, size.height())}};
    for (const auto& part : parts) {
        if (!part.plot) continue;
        painter.save();
        painter.translate(part.rect.topLeft());
        part.plot->toPainter(&painter, part.rect.width(), part.rect.height());
        painter.restore();
    }
}

}  // namespace

QString SaveFigure(const QString& file, const FigurePlots& plots, QSize size)
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        constexpr qreal kScale = 2.0;  // sharp on print and on high-density screens
        QImage image(size * kScale, QImage::Format_ARGB32);
        image.setDevicePixelRatio(kScale);
        image.fill(Qt::white);
        {
            QCPPainter painter(&image);
            Paint(painter, plots, size);
        }
        if (!image.save(file, "PNG")) return QStringLiteral("无法写入 %1").arg(file);
        return {};
    }
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator generator;
        generator.setFileName(file);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(QStringLiteral("mt1d"));
        QCPPainter painter;
        if (!painter.begin(&generator)) return QStringLiteral("无法写入 %1").arg(file);
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        Paint(painter, plots, size);
        painter.end();
        return QFileInfo(file).size() > 0 ? QString() : QStringLiteral("无法写入 %1").arg(file);
    }
    if (suffix == QLatin1String("pdf")) {
        QPdfWriter writer(file);
        writer.setCreator(QStringLiteral("mt1d"));
        writer.setResolution(72);  // one logical pixel per point
        writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QCPPainter painter;
        if (!painter.begin(&writer)) return QStringLiteral("无法写入 %1").arg(file);
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        Paint(painter, plots, size);
        painter.end();
        return {};
    }
    return QStringLiteral("不支持的图件格式 “%1”：请用 .png、.svg 或 .pdf").arg(suffix);
}

}  // namespace mt1d::gui::field
