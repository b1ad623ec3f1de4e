#include "render/SectionPainter.h"

#include "section/Labels.h"

#include "render/ColourMap.h"
#include "render/SectionLayout.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPen>

#include <cmath>

namespace mt1d::section {


// Figure texts are translated with the windows' texts (context mt1d::gui::Ui, gui/translations/):
// Chinese when no translator is installed, as in mt1d-section.
namespace {

// A site's name as it fits `width`, elided at its end; a site whose fit missed its goal keeps a
// trailing " *" (SurveyFolder.h).
QString NameLabel(const QFontMetricsF& metrics, const SectionSite& site, double width)
{
    const QString mark = site.missedTarget ? QStringLiteral(" *") : QString();
    return metrics.elidedText(QString::fromStdString(site.name), Qt::ElideRight, width - metrics.horizontalAdvance(mark)) +
           mark;
}

QString Number(double value) { return QString::number(value, 'g', 6); }

// ρ in Ω·m at a colour-bar label, two significant digits: 0.32, 1, 3.2, 100, 3200, 1e+05.
QString Resistivity(double log10Rho)
{
    const double rho = std::pow(10.0, log10Rho);
    if (rho >= 1e5 || rho < 1e-2) return QString::number(rho, 'g', 2);
    const int e = static_cast<int>(std::floor(log10Rho + 1e-12));
    const double unit = std::pow(10.0, e - 1);
    return QString::number(std::round(rho / unit) * unit, 'f', std::max(0, 1 - e));
}

void DrawColumns(QPainter& painter, const Section& section, const SectionLayout& layout)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    const DepthGrid& grid = section.grid;
    for (const SectionSite& site : section.sites) {
        const double left = layout.X(site.leftKm);
        const double right = layout.X(site.rightKm);
        // Runs of equal cells as one rectangle: a layer is one shape in SVG and PDF.
        for (std::size_t i = 0; i < site.log10Rho.size();) {
            std::size_t j = i + 1;
            while (j < site.log10Rho.size() && site.log10Rho[j] == site.log10Rho[i]) ++j;
            const double top = layout.Y(grid.CellTopM(i));
            const double bottom = layout.Y(grid.CellTopM(j));
            painter.fillRect(QRectF(QPointF(left, top), QPointF(right, bottom)), ColourOf(section.colours, site.log10Rho[i]));
            i = j;
        }
        if (site.depthOfInvestigationM > 0.0 && site.depthOfInvestigationM < grid.bottomM) {
            const double doi = layout.Y(site.depthOfInvestigationM);
            painter.fillRect(QRectF(QPointF(left, doi), QPointF(right, layout.Plot().bottom())), BelowInvestigationVeil());
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen dashed(QColor(60, 60, 60));
    dashed.setStyle(Qt::DashLine);
    dashed.setWidthF(1.0);
    painter.setPen(dashed);
    for (const SectionSite& site : section.sites) {
        if (site.depthOfInvestigationM > 0.0 && site.depthOfInvestigationM < grid.bottomM) {
            const double doi = layout.Y(site.depthOfInvestigationM);
            painter.drawLine(QPointF(layout.X(site.leftKm), doi), QPointF(layout.X(site.rightKm), doi));
        }
    }
}

void DrawDepthAxis(QPainter& painter, const Section& section, const SectionLayout& layout)
{
    const QRectF plot = layout.Plot();
    const bool km = section.grid.bottomM >= 2000.0;
    const double scale = km ? 1000.0 : 1.0;
    const double step = TickStep(section.grid.bottomM / scale, 8) * scale;
    const QFontMetricsF metrics(painter.font());
    painter.setPen(Qt::black);
    for (double d = 0.0; d <= section.grid.bottomM * (1.0 + 1e-9); d += step) {
        const double y = layout.Y(d);
        painter.drawLine(QPointF(plot.left() - 5.0, y), QPointF(plot.left(), y));
        const QString text = Number(d / scale);
        painter.drawText(QRectF(0.0, y - metrics.height() / 2, plot.left() - 8.0, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, text);
    }
    painter.save();
    painter.translate(14.0, plot.center().y());
    painter.rotate(-90.0);
    painter.drawText(QRectF(-plot.height() / 2, -metrics.height() / 2, plot.height(), metrics.height()), Qt::AlignCenter,
                     km ? QCoreApplication::translate("mt1d::gui::Ui", "深度 (km)") : QCoreApplication::translate("mt1d::gui::Ui", "深度 (m)"));
    painter.restore();
}

void DrawTop(QPainter& painter, const Section& section, const SectionLayout& layout)
{
    const QRectF plot = layout.Plot();
    const QFontMetricsF metrics(painter.font());
    painter.setPen(Qt::black);
    // The distance axis along the top of the section.
    const double step = TickStep(layout.LastKm() - layout.FirstKm(), 8);
    const double first = std::ceil(layout.FirstKm() / step) * step;
    for (double km = first; km <= layout.LastKm() + 1e-9 * step; km += step) {
        const double x = layout.X(km);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.top() - 5.0));
        painter.drawText(QRectF(x - 40.0, plot.top() - 6.0 - metrics.height(), 80.0, metrics.height()), Qt::AlignCenter,
                         Number(std::abs(km) < 1e-9 * step ? 0.0 : km));
    }
    const QString title = section.byOrder ? QCoreApplication::translate("mt1d::gui::Ui", "测点序号 (无坐标)") : QCoreApplication::translate("mt1d::gui::Ui", "沿剖面距离 (km)");
    painter.drawText(QRectF(plot.left(), layout.NameBand().bottom(), plot.width(), metrics.height()), Qt::AlignCenter,
                     title);
    // Site names, written upwards from a marker at each site; names that would overlap their
    // neighbour's are left out (Labels.h), the ticks stay.
    const double base = layout.NameBand().bottom() - 4.0;
    std::vector<double> xs;
    for (const SectionSite& site : section.sites) xs.push_back(layout.X(site.distanceKm));
    const std::vector<bool> named = LabelledSites(xs, metrics.height() + 1.0);
    for (std::size_t i = 0; i < section.sites.size(); ++i) {
        const SectionSite& site = section.sites[i];
        const double x = xs[i];
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.top() + 6.0));
        if (!named[i]) continue;
        painter.save();
        painter.translate(x, base);
        painter.rotate(-90.0);
        painter.drawText(QRectF(0.0, -metrics.height() / 2, layout.NameBand().height() - 6.0, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         NameLabel(metrics, site, layout.NameBand().height() - 6.0));
        painter.restore();
    }
}

void DrawColourBar(QPainter& painter, const Section& section, const SectionLayout& layout)
{
    const QRectF bar = layout.ColourBar();
    const ColourRange& range = section.colours;
    QLinearGradient gradient(bar.bottomLeft(), bar.topLeft());
    for (int k = 0; k <= 20; ++k) gradient.setColorAt(k / 20.0, ColourAtFraction(k / 20.0));
    painter.fillRect(bar, gradient);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar);
    const QFontMetricsF metrics(painter.font());
    const double span = range.log10Max - range.log10Min;
    const double step = span <= 2.0 ? 0.5 : 1.0;
    for (double v = std::ceil(range.log10Min / step) * step; v <= range.log10Max + 1e-9; v += step) {
        const double y = bar.bottom() - (v - range.log10Min) / span * bar.height();
        painter.drawLine(QPointF(bar.right(), y), QPointF(bar.right() + 4.0, y));
        painter.drawText(QRectF(bar.right() + 6.0, y - metrics.height() / 2, 60.0, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, Resistivity(v));
    }
    painter.drawText(QRectF(bar.left() - 20.0, bar.top() - 2.0 * metrics.height() - 4.0, 110.0, 2.0 * metrics.height()),
                     Qt::AlignLeft | Qt::AlignBottom, QCoreApplication::translate("mt1d::gui::Ui", "电阻率\n(Ω·m)"));
}

void DrawFooter(QPainter& painter, const Section& section, const SectionLayout& layout)
{
    const QRectF plot = layout.Plot();
    QString text;
    if (section.profile) {
        const auto& p = *section.profile;
        text = QCoreApplication::translate("mt1d::gui::Ui", "剖面 %1°, %2° → %3°, %4°   灰色: 探测深度以下")
                   .arg(p.start.latitudeDeg, 0, 'f', 4)
                   .arg(p.start.longitudeDeg, 0, 'f', 4)
                   .arg(p.end.latitudeDeg, 0, 'f', 4)
                   .arg(p.end.longitudeDeg, 0, 'f', 4);
    } else {
        text = QCoreApplication::translate("mt1d::gui::Ui", "测点无坐标, 按顺序排列   灰色: 探测深度以下");
    }
    painter.setPen(Qt::black);
    painter.drawText(QRectF(plot.left(), plot.bottom() + 8.0, plot.width(), 24.0), Qt::AlignLeft | Qt::AlignTop, text);
}

}  // namespace

void DrawSection(QPainter& painter, const Section& section, QSizeF canvas)
{
    const SectionLayout layout(section, canvas);
    painter.fillRect(QRectF(QPointF(0, 0), canvas), Qt::white);
    DrawColumns(painter, section, layout);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(layout.Plot());
    painter.setRenderHint(QPainter::Antialiasing, true);
    DrawDepthAxis(painter, section, layout);
    DrawTop(painter, section, layout);
    DrawColourBar(painter, section, layout);
    DrawFooter(painter, section, layout);
}

}  // namespace mt1d::section
