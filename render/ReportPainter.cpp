#include "render/ReportPainter.h"

#include "render/LogTicks.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <functional>

namespace mt1d::render {

namespace {

constexpr double kMargin = 40.0;  // points around the page
constexpr double kBarReachDecades = 0.5;  // as the window: a bar stretches the axis this far at most
constexpr double kBarReachDegrees = 15.0;
const QColor kFitColours[] = {QColor(200, 40, 40), QColor(30, 90, 200), QColor(20, 140, 60)};

QString Text(const std::string& s) { return QString::fromStdString(s); }

void SetFont(QPainter& painter, double points, bool bold = false)
{
    QFont font = painter.font();
    font.setPointSizeF(points);
    font.setBold(bold);
    painter.setFont(font);
}

struct Scale {
    double lo = 1.0, hi = 10.0;
    bool log = true;
    bool reversed = false;
    double from = 0.0, to = 1.0;  // pixels of lo and hi (before reversal)

    double operator()(double v) const
    {
        double t = log ? (std::log10(v) - std::log10(lo)) / (std::log10(hi) - std::log10(lo)) : (v - lo) / (hi - lo);
        if (reversed) t = 1.0 - t;
        return from + t * (to - from);
    }
};

// lo..hi of values, stretched by the bars only as far as the reach, then by a margin.
void RangeOf(const std::vector<double>& values, const std::vector<double>& low, const std::vector<double>& high,
             bool log, double reach, double& lo, double& hi)
{
    double vlo = HUGE_VAL, vhi = -HUGE_VAL;
    for (double v : values) {
        if (!std::isfinite(v) || (log && v <= 0)) continue;
        vlo = std::min(vlo, v), vhi = std::max(vhi, v);
    }
    if (!(vlo <= vhi)) {
        lo = log ? 1.0 : 0.0, hi = log ? 1e4 : 90.0;
        return;
    }
    double blo = vlo, bhi = vhi;
    for (double v : low) {
        if (std::isfinite(v) && (!log || v > 0)) blo = std::min(blo, v);
    }
    for (double v : high) {
        if (std::isfinite(v)) bhi = std::max(bhi, v);
    }
    if (log) {
        lo = std::max(blo, vlo / std::pow(10.0, reach)), hi = std::min(bhi, vhi * std::pow(10.0, reach));
        if (hi / lo < 1.5) lo /= 2.0, hi *= 2.0;
        const double m = std::pow(hi / lo, 0.06);
        lo /= m, hi *= m;
    } else {
        lo = std::max(blo, vlo - reach), hi = std::min(bhi, vhi + reach);
        if (hi - lo < 1.0) lo -= 1.0, hi += 1.0;
        const double m = 0.06 * (hi - lo);
        lo -= m, hi += m;
    }
}

// A linear axis's ticks: steps of 1, 2, 5 × 10^k, four to eight of them.
std::vector<double> LinearTicks(double lo, double hi)
{
    const double raw = (hi - lo) / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw) {
            step = m * power;
            break;
        }
    }
    std::vector<double> ticks;
    for (double v = std::ceil(lo / step) * step; v <= hi + 1e-9 * step; v += step) ticks.push_back(std::abs(v) < 1e-12 ? 0.0 : v);
    return ticks;
}

QString TickText(const std::string& label)
{
    // 2e-5 → 2×10^-5 in plain text (the PDF has no superscripts of QCustomPlot's).
    const auto e = label.find('e');
    if (e == std::string::npos) return Text(label);
    const std::string m = label.substr(0, e), k = label.substr(e + 1);
    return (m == "1" ? QStringLiteral("10^") : Text(m) + QStringLiteral("×10^")) + Text(k);
}

// A frame with ticks, labels, a title; `draw` paints inside, clipped to the frame.
void Panel(QPainter& painter, const QRectF& box, const QString& title, const QString& xLabel, const QString& yLabel,
           Scale& x, Scale& y, const std::function<void()>& draw)
{
    const QRectF frame = box.adjusted(42, 16, -6, -28);
    x.from = frame.left(), x.to = frame.right();
    y.from = frame.bottom(), y.to = frame.top();
    SetFont(painter, 8.5, true);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(box.left(), box.top(), box.width(), 14), Qt::AlignHCenter | Qt::AlignTop, title);
    SetFont(painter, 7);
    const QFontMetricsF metrics(painter.font());
    const auto ticksOf = [&](const Scale& s, double length, bool horizontal) {
        std::vector<std::pair<double, QString>> out;
        if (s.log) {
            LogTickRoom room;
            room.lengthPx = length;
            room.horizontal = horizontal;
            room.charPx = metrics.horizontalAdvance(QLatin1Char('0'));
            room.lineHeightPx = metrics.height();
            room.gapPx = 6;
            for (const LogTick& t : ChooseLogTicks(s.lo, s.hi, room).labelled) out.push_back({t.value, TickText(t.label)});
        } else {
            for (double v : LinearTicks(s.lo, s.hi)) out.push_back({v, QString::number(v, 'g', 4)});
        }
        return out;
    };
    painter.setPen(QPen(QColor(225, 225, 225), 0.5));
    const auto xt = ticksOf(x, frame.width(), true), yt = ticksOf(y, frame.height(), false);
    for (const auto& [v, text] : xt) painter.drawLine(QPointF(x(v), frame.top()), QPointF(x(v), frame.bottom()));
    for (const auto& [v, text] : yt) painter.drawLine(QPointF(frame.left(), y(v)), QPointF(frame.right(), y(v)));
    painter.setPen(Qt::black);
    for (const auto& [v, text] : xt) {
        painter.drawLine(QPointF(x(v), frame.bottom()), QPointF(x(v), frame.bottom() - 3));
        painter.drawText(QRectF(x(v) - 30, frame.bottom() + 1, 60, 10), Qt::AlignHCenter | Qt::AlignTop, text);
    }
    for (const auto& [v, text] : yt) {
        painter.drawLine(QPointF(frame.left(), y(v)), QPointF(frame.left() + 3, y(v)));
        painter.drawText(QRectF(frame.left() - 42, y(v) - 5, 39, 10), Qt::AlignRight | Qt::AlignVCenter, text);
    }
    painter.drawText(QRectF(frame.left(), frame.bottom() + 12, frame.width(), 12), Qt::AlignHCenter | Qt::AlignTop, xLabel);
    painter.save();
    painter.translate(box.left() + 6, frame.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-frame.height() / 2, -6, frame.height(), 12), Qt::AlignCenter, yLabel);
    painter.restore();
    painter.save();
    painter.setClipRect(frame);
    draw();
    painter.restore();
    painter.setPen(QPen(Qt::black, 0.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame);
}

void DrawCurvePanel(QPainter& painter, const QRectF& box, const report::ReportPage& page, bool rho)
{
    const auto& points = rho ? page.rho : page.phase;
    std::vector<double> periods, values, low, high;
    for (const auto& p : points) periods.push_back(p.periodS), values.push_back(p.value), low.push_back(p.low), high.push_back(p.high);
    for (const auto& fit : page.fits) {
        periods.insert(periods.end(), fit.periodS.begin(), fit.periodS.end());
        const auto& line = rho ? fit.rhoOhmM : fit.phaseDeg;
        values.insert(values.end(), line.begin(), line.end());
    }
    Scale x, y;
    RangeOf(periods, {}, {}, true, 0.0, x.lo, x.hi);
    y.log = rho;
    RangeOf(values, low, high, rho, rho ? kBarReachDecades : kBarReachDegrees, y.lo, y.hi);
    const QString title = rho ? QStringLiteral("视电阻率 (apparent resistivity)") : QStringLiteral("阻抗相位 (impedance phase)");
    Panel(painter, box, title, QStringLiteral("周期 period (s)"), rho ? QStringLiteral("ρa (Ω·m)") : QStringLiteral("φ (°)"), x, y,
          [&] {
              for (std::size_t f = 0; f < page.fits.size(); ++f) {
                  const auto& fit = page.fits[f];
                  const auto& line = rho ? fit.rhoOhmM : fit.phaseDeg;
                  QPainterPath path;
                  for (std::size_t i = 0; i < fit.periodS.size(); ++i) {
                      const QPointF at(x(fit.periodS[i]), y(line[i]));
                      i == 0 ? path.moveTo(at) : path.lineTo(at);
                  }
                  QPen pen(kFitColours[f % 3], 1.2);
                  if (f == 1) pen.setStyle(Qt::DashLine);
                  painter.setPen(pen);
                  painter.setBrush(Qt::NoBrush);
                  painter.drawPath(path);
              }
              for (const auto& p : points) {
                  const QColor colour = p.excluded ? QColor(130, 130, 130) : Qt::black;
                  painter.setPen(QPen(colour, 0.7));
                  const double px = x(p.periodS);
                  const double top = y(std::min(p.high, y.hi)), bottom = y(std::max(p.low, y.lo));
                  painter.drawLine(QPointF(px, top), QPointF(px, bottom));
                  // A bar cut by the axis ends in an open arrow head at the frame.
                  if (p.high > y.hi) painter.drawPolyline(QPolygonF{{px - 2.5, top + 3.5}, {px, top + 0.5}, {px + 2.5, top + 3.5}});
                  if (p.low < y.lo) painter.drawPolyline(QPolygonF{{px - 2.5, bottom - 3.5}, {px, bottom - 0.5}, {px + 2.5, bottom - 3.5}});
                  painter.setBrush(p.excluded ? QBrush(Qt::white) : QBrush(colour));
                  painter.drawEllipse(QPointF(px, y(p.value)), 1.8, 1.8);
              }
          });
}

void DrawModelPanel(QPainter& painter, const QRectF& box, const report::ReportPage& page)
{
    std::vector<double> rho, depth;
    for (const auto& fit : page.fits) {
        rho.insert(rho.end(), fit.resistivityOhmM.begin(), fit.resistivityOhmM.end());
        double top = 0.0;
        for (double h : fit.thicknessM) depth.push_back(top += h);
    }
    if (page.depthOfInvestigationM > 0) depth.push_back(page.depthOfInvestigationM);
    Scale x, y;
    RangeOf(rho, {}, {}, true, 0.0, x.lo, x.hi);
    RangeOf(depth, {}, {}, true, 0.0, y.lo, y.hi);
    y.lo /= 3.0, y.hi *= 3.0;  // room for the top layer and the half-space
    y.reversed = true;
    Panel(painter, box, QStringLiteral("模型 (models)"), QStringLiteral("电阻率 ρ (Ω·m)"), QStringLiteral("深度 depth (m)"), x, y, [&] {
        for (std::size_t f = 0; f < page.fits.size(); ++f) {
            const auto& fit = page.fits[f];
            if (fit.resistivityOhmM.empty()) continue;
            QPainterPath path;
            double top = y.lo;
            for (std::size_t j = 0; j < fit.resistivityOhmM.size(); ++j) {
                const double bottom = j < fit.thicknessM.size() ? std::max(top, 0.0) + fit.thicknessM[j] : y.hi;
                const double edge = j < fit.thicknessM.size() ? (j == 0 ? fit.thicknessM[0] : bottom) : y.hi;
                const QPointF a(x(fit.resistivityOhmM[j]), y(j == 0 ? y.lo : top)), b(x(fit.resistivityOhmM[j]), y(edge));
                j == 0 ? path.moveTo(a) : path.lineTo(a);
                path.lineTo(b);
                top = edge;
            }
            QPen pen(kFitColours[f % 3], 1.3);
            if (f == 1) pen.setStyle(Qt::DashLine);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(path);
        }
        if (page.depthOfInvestigationM > 0) {
            painter.setPen(QPen(QColor(150, 60, 150), 0.8, Qt::DotLine));
            const double at = y(page.depthOfInvestigationM);
            painter.drawLine(QPointF(x.from, at), QPointF(x.to, at));
            SetFont(painter, 7);
            painter.drawText(QRectF(x.from + 3, at + 1, 120, 10), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("探测深度 (depth of investigation)"));
        }
    });
}

// The fits' names in their colours, in a row.
void Legend(QPainter& painter, QPointF at, const report::ReportPage& page)
{
    SetFont(painter, 7.5);
    const QFontMetricsF metrics(painter.font());
    double x = at.x();
    for (std::size_t f = 0; f < page.fits.size(); ++f) {
        QPen pen(kFitColours[f % 3], 1.3);
        if (f == 1) pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        painter.drawLine(QPointF(x, at.y()), QPointF(x + 18, at.y()));
        painter.setPen(Qt::black);
        const QString name = Text(page.fits[f].name);
        painter.drawText(QPointF(x + 22, at.y() + 3), name);
        x += 34 + metrics.horizontalAdvance(name);
    }
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPointF(x + 4, at.y()), 1.8, 1.8);
    painter.drawText(QPointF(x + 10, at.y() + 3), QStringLiteral("观测 (observed)"));
    x += 20 + metrics.horizontalAdvance(QStringLiteral("观测 (observed)"));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(x + 4, at.y()), 1.8, 1.8);
    painter.drawText(QPointF(x + 10, at.y() + 3), QStringLiteral("未参与拟合 (left out)"));
}

double Lines(QPainter& painter, double y, const std::vector<std::string>& lines, double points, double step)
{
    SetFont(painter, points);
    painter.setPen(Qt::black);
    for (const auto& line : lines) {
        painter.drawText(QRectF(kMargin, y, kReportPagePt.width() - 2 * kMargin, step), Qt::AlignLeft | Qt::AlignVCenter, Text(line));
        y += step;
    }
    return y;
}

void Footer(QPainter& painter, const report::ReportPage& page, int index)
{
    SetFont(painter, 7);
    painter.setPen(QColor(90, 90, 90));
    const QRectF strip(kMargin, kReportPagePt.height() - kMargin + 8, kReportPagePt.width() - 2 * kMargin, 12);
    painter.drawText(strip, Qt::AlignLeft | Qt::AlignVCenter, Text(page.footer));
    painter.drawText(strip, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1/%2").arg(index + 1).arg(page.pageCount));
}

void Table(QPainter& painter, double& y, const report::PageTable& table)
{
    const double width = kReportPagePt.width() - 2 * kMargin;
    const double bottom = kReportPagePt.height() - kMargin - 4;
    SetFont(painter, 8.5, true);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(kMargin, y, width, 13), Qt::AlignLeft | Qt::AlignVCenter, Text(table.title));
    y += 14;
    SetFont(painter, 6.5);
    const QFontMetricsF metrics(painter.font());
    // Columns as wide as their widest cell, spread over the width when they fit.
    std::vector<double> widths(table.header.size(), 0.0);
    for (std::size_t c = 0; c < widths.size(); ++c) {
        widths[c] = metrics.horizontalAdvance(Text(table.header[c]));
        for (const auto& row : table.rows) {
            if (c < row.size()) widths[c] = std::max(widths[c], metrics.horizontalAdvance(Text(row[c])));
        }
    }
    double total = 0.0;
    for (double w : widths) total += w;
    // Spread over the width, but a narrow table keeps its columns close.
    const double gap = widths.size() > 1 ? std::clamp((width - total) / (widths.size() - 1), 4.0, 24.0) : 0.0;
    const double step = 9.0;
    const auto row = [&](const std::vector<std::string>& cells, bool bold) {
        QFont font = painter.font();
        font.setBold(bold);
        painter.setFont(font);
        double x = kMargin;
        for (std::size_t c = 0; c < widths.size() && c < cells.size(); ++c) {
            painter.drawText(QRectF(x, y, widths[c] + 1, step), Qt::AlignLeft | Qt::AlignVCenter, Text(cells[c]));
            x += widths[c] + gap;
        }
        y += step;
    };
    row(table.header, true);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        if (y + 2 * step > bottom) {
            row({"… " + std::to_string(table.rows.size() - r) + " more layers (see the fit's JSON)"}, false);
            break;
        }
        row(table.rows[r], false);
    }
    y += 8;
}

}  // namespace

void PaintReportPage(QPainter& painter, const report::ReportPage& page, int index)
{
    painter.setRenderHint(QPainter::Antialiasing);
    double y = kMargin;
    if (index == 0) {
        SetFont(painter, 13, true);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(kMargin, y, kReportPagePt.width() - 2 * kMargin, 20), Qt::AlignLeft | Qt::AlignVCenter, Text(page.title));
        y = Lines(painter, y + 24, page.heading, 8.5, 13) + 8;
        const double width = kReportPagePt.width() - 2 * kMargin;
        const double left = width * 0.56;
        const double height = kReportPagePt.height() - kMargin - 30 - y;
        DrawCurvePanel(painter, QRectF(kMargin, y, left, height * 0.56), page, true);
        DrawCurvePanel(painter, QRectF(kMargin, y + height * 0.56, left, height * 0.44), page, false);
        DrawModelPanel(painter, QRectF(kMargin + left + 6, y, width - left - 6, height), page);
        Legend(painter, QPointF(kMargin + 4, y + height + 14), page);
    } else {
        SetFont(painter, 11, true);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(kMargin, y, kReportPagePt.width() - 2 * kMargin, 18), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("模型与不确定度 (models and their uncertainties)"));
        y += 24;
        for (const auto& table : page.tables) Table(painter, y, table);
        SetFont(painter, 8.5, true);
        painter.drawText(QRectF(kMargin, y, 300, 13), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("所用选项 (options used)"));
        Lines(painter, y + 14, page.options, 7, 10);
    }
    Footer(painter, page, index);
}

QString WriteReportPdf(const report::ReportPage& page, const QString& file)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return QStringLiteral("%1: cannot be written (%2)").arg(file, out.errorString());
    bool drawn = false;
    {
        QPdfWriter pdf(&out);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(72);  // one device unit per point, so that fonts in points need no scaling
        pdf.setTitle(QString::fromStdString(page.title));
        pdf.setCreator(QString::fromStdString(page.footer));
        QPainter painter;
        drawn = painter.begin(&pdf);
        if (drawn) {
            for (int i = 0; i < page.pageCount; ++i) {
                if (i > 0) pdf.newPage();
                PaintReportPage(painter, page, i);
            }
            drawn = painter.end();
        }
    }
    if (!drawn) {
        out.cancelWriting();
        return QStringLiteral("%1: the report could not be drawn").arg(file);
    }
    if (!out.commit()) return QStringLiteral("%1: cannot be written (%2)").arg(file, out.errorString());
    return {};
}

}  // namespace mt1d::render
