#include "gui/field/FieldFigure.h"

#include <qcustomplot.h>

#include <QFileInfo>
#include <QImage>
#include <QPdfWriter>
#include <QSvgGenerator>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::field {

namespace {

// The plots of `size` below the caption's strip.
void Paint(QCPPainter& painter, std::span<const FigurePart> parts, QSize size, const QString& caption)
{
    if (!caption.isEmpty()) {
        QFont font = painter.font();
        font.setPointSizeF(11.0);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRect(10, 0, size.width() - 20, kCaptionHeight), Qt::AlignLeft | Qt::AlignVCenter, caption);
        painter.translate(0, kCaptionHeight);
    }
    for (const auto& part : parts) {
        if (!part.plot) continue;
        const QRect rect(qRound(part.share.x() * size.width()), qRound(part.share.y() * size.height()),
                         qRound(part.share.width() * size.width()), qRound(part.share.height() * size.height()));
        painter.save();
        painter.translate(rect.topLeft());
        part.plot->toPainter(&painter, rect.width(), rect.height());
        painter.restore();
    }
}

}  // namespace

QString SaveFigure(const QString& file, const FigurePlots& plots, QSize size, const QString& caption)
{
    // ρa and phase on the left, one above the other, the depth plot on the right.
    const double left = (size.width() * 11 / 20) / static_cast<double>(size.width());
    const double half = (size.height() / 2) / static_cast<double>(size.height());
    const FigurePart parts[] = {{plots.rho, QRectF(0.0, 0.0, left, half)},
                                {plots.phase, QRectF(0.0, half, left, 1.0 - half)},
                                {plots.depth, QRectF(left, 0.0, 1.0 - left, 1.0)}};
    return SaveFigure(file, std::span<const FigurePart>(parts), size, caption);
}

QString SaveFigure(const QString& file, std::span<const FigurePart> plots, QSize plotSize, const QString& caption)
{
    const QSize size = plotSize + QSize(0, caption.isEmpty() ? 0 : kCaptionHeight);
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        constexpr qreal kScale = 2.0;  // sharp on print and on high-density screens
        QImage image(size * kScale, QImage::Format_ARGB32);
        image.setDevicePixelRatio(kScale);
        image.fill(Qt::white);
        {
            QCPPainter painter(&image);
            Paint(painter, plots, plotSize, caption);
        }
        if (!image.save(file, "PNG")) return Ui::tr("无法写入 %1").arg(file);
        return {};
    }
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator generator;
        generator.setFileName(file);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(QStringLiteral("mt1d"));
        QCPPainter painter;
        if (!painter.begin(&generator)) return Ui::tr("无法写入 %1").arg(file);
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        Paint(painter, plots, plotSize, caption);
        painter.end();
        return QFileInfo(file).size() > 0 ? QString() : Ui::tr("无法写入 %1").arg(file);
    }
    if (suffix == QLatin1String("pdf")) {
        QPdfWriter writer(file);
        writer.setCreator(QStringLiteral("mt1d"));
        writer.setResolution(72);  // one logical pixel per point
        writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QCPPainter painter;
        if (!painter.begin(&writer)) return Ui::tr("无法写入 %1").arg(file);
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        Paint(painter, plots, plotSize, caption);
        painter.end();
        return {};
    }
    return Ui::tr("不支持的图件格式 “%1”：请用 .png、.svg 或 .pdf").arg(suffix);
}

}  // namespace mt1d::gui::field
