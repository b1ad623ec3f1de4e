#include "gui/classic/FigureExport.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <qcustomplot.h>

#include <algorithm>
#include <stdexcept>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui {

namespace {

// Vector figures are drawn in screen pixels: at 96 per inch a font's points come out as
// large against the lines as on screen.
constexpr int kScreenDpi = 96;
constexpr double kPointsPerInch = 72.0;

QSize FigureSize(const QList<QCustomPlot*>& charts)
{
    QSize size(0, 0);
    for (const QCustomPlot* chart : charts) {
        size.setWidth(std::max(size.width(), chart->width()));
        size.rheight() += chart->height();
    }
    return size;
}

// Draws the charts one below the other on an active painter whose unit is a screen pixel.
void DrawCharts(const QList<QCustomPlot*>& charts, QCPPainter& painter)
{
    painter.setMode(QCPPainter::pmVectorized);
    for (QCustomPlot* chart : charts) {
        chart->toPainter(&painter, chart->width(), chart->height());
        painter.translate(0, chart->height());
    }
}

[[noreturn]] void CannotWrite(const QString& fileName, const QString& why)
{
    throw std::runtime_error(Ui::tr("无法写入文件“%1”：%2").arg(fileName, why).toStdString());
}

void WritePng(const QList<QCustomPlot*>& charts, const QSize& size, QSaveFile& file)
{
    QPixmap figure(size * kPictureDensity);
    figure.setDevicePixelRatio(kPictureDensity);
    figure.fill(Qt::white);
    {
        QPainter painter(&figure);
        int top = 0;
        for (QCustomPlot* chart : charts) {
            painter.drawPixmap(0, top, ChartPicture(*chart));
            top += chart->height();
        }
    }
    if (!figure.save(&file, "PNG")) CannotWrite(file.fileName(), file.errorString());
}

void WriteSvg(const QList<QCustomPlot*>& charts, const QSize& size, QSaveFile& file)
{
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setResolution(kScreenDpi);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QStringLiteral("mt1d"));
    QCPPainter painter;
    if (!painter.begin(&svg)) CannotWrite(file.fileName(), file.errorString());
    DrawCharts(charts, painter);
    if (!painter.end()) CannotWrite(file.fileName(), file.errorString());
}

void WritePdf(const QList<QCustomPlot*>& charts, const QSize& size, QSaveFile& file)
{
    QPdfWriter pdf(&file);
    pdf.setCreator(QStringLiteral("mt1d"));
    pdf.setResolution(kScreenDpi);
    // One page the size of the figure, without margins.
    const QSizeF points = QSizeF(size) * (kPointsPerInch / kScreenDpi);
    pdf.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point, QString(),
                                            QPageSize::ExactMatch),
                                  QPageLayout::Portrait, QMarginsF()));
    QCPPainter painter;
    if (!painter.begin(&pdf)) CannotWrite(file.fileName(), file.errorString());
    DrawCharts(charts, painter);
    if (!painter.end()) CannotWrite(file.fileName(), file.errorString());
}

}  // namespace

QPixmap ChartPicture(QCustomPlot& chart, qreal density)
{
    QPixmap picture = chart.toPixmap(chart.width(), chart.height(), density);
    picture.setDevicePixelRatio(density);
    return picture;
}

void ExportFigure(const QList<QCustomPlot*>& charts, const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    void (*write)(const QList<QCustomPlot*>&, const QSize&, QSaveFile&) = nullptr;
    if (suffix == QLatin1String("png")) {
        write = WritePng;
    } else if (suffix == QLatin1String("svg")) {
        write = WriteSvg;
    } else if (suffix == QLatin1String("pdf")) {
        write = WritePdf;
    } else {
        throw std::runtime_error(Ui::tr("图件只能存为 .png、.svg 或 .pdf 文件，不能存为“%1”。")
                                     .arg(fileName)
                                     .toStdString());
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) CannotWrite(fileName, file.errorString());
    write(charts, FigureSize(charts), file);
    if (!file.commit()) CannotWrite(fileName, file.errorString());
}

}  // namespace mt1d::gui
