#include "render/SectionFigure.h"

#include "render/SectionPainter.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cstdlib>

namespace mt1d::section {

std::optional<FigureFormat> FigureFormatOf(const QString& file)
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("png")) return FigureFormat::kPng;
    if (suffix == QLatin1String("svg")) return FigureFormat::kSvg;
    if (suffix == QLatin1String("pdf")) return FigureFormat::kPdf;
    return std::nullopt;
}

QImage RenderSectionImage(const Section& section, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawSection(painter, section, QSizeF(size));
    return image;
}

QString WriteSectionFigure(const Section& section, const QString& file, QSize size)
{
    const auto format = FigureFormatOf(file);
    if (!format) return QStringLiteral("%1: the figure must end in .png, .svg or .pdf").arg(file);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return QStringLiteral("%1: cannot be written (%2)").arg(file, out.errorString());
    bool drawn = true;
    switch (*format) {
    case FigureFormat::kPng:
        drawn = RenderSectionImage(section, size).save(&out, "PNG");
        break;
    case FigureFormat::kSvg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("mt1d resistivity section"));
        QPainter painter;
        drawn = painter.begin(&svg);
        if (drawn) {
            DrawSection(painter, section, QSizeF(size));
            drawn = painter.end();
        }
        break;
    }
    case FigureFormat::kPdf: {
        // One page of the figure's proportions at 96 dots per inch.
        QPdfWriter pdf(&out);
        constexpr int kDpi = 96;
        pdf.setResolution(kDpi);
        pdf.setPageSize(QPageSize(QSizeF(size.width() * 72.0 / kDpi, size.height() * 72.0 / kDpi), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("mt1d resistivity section"));
        pdf.setCreator(QStringLiteral("mt1d"));
        QPainter painter;
        drawn = painter.begin(&pdf);
        if (drawn) {
            DrawSection(painter, section, QSizeF(size));
            drawn = painter.end();
        }
        break;
    }
    }
    if (!drawn) {
        out.cancelWriting();
        return QStringLiteral("%1: the figure could not be drawn").arg(file);
    }
    if (!out.commit()) return QStringLiteral("%1: cannot be written (%2)").arg(file, out.errorString());
    return {};
}

std::unique_ptr<QGuiApplication> GuiForFigures()
{
    if (QCoreApplication::instance()) return nullptr;
    const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (!std::getenv("QT_QPA_PLATFORM") && !display) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "mt1d";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace mt1d::section
