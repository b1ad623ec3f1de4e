#include "gui/survey/SectionView.h"

#include "render/SectionLayout.h"
#include "render/SectionPainter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui::survey {

SectionView::SectionView(section::Section section, QWidget* parent) : QWidget(parent), section_(std::move(section))
{
    setMinimumSize(640, 400);
    setMouseTracking(true);
}

QPoint SectionView::ColumnCentre(std::size_t site) const
{
    const section::SectionLayout layout(section_, QSizeF(size()));
    const auto& s = section_.sites.at(site);
    return QPointF(layout.X(0.5 * (s.leftKm + s.rightKm)), layout.Plot().center().y()).toPoint();
}

std::optional<std::size_t> SectionView::SiteAt(QPoint point) const
{
    return section::SectionLayout(section_, QSizeF(size())).SiteAt(QPointF(point));
}

void SectionView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    section::DrawSection(painter, section_, QSizeF(size()));
}

void SectionView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    if (const auto site = SiteAt(event->position().toPoint())) emit siteClicked(*site);
}

void SectionView::mouseMoveEvent(QMouseEvent* event)
{
    const auto site = SiteAt(event->position().toPoint());
    setCursor(site ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (site) {
        const auto& s = section_.sites[*site];
        setToolTip(Ui::tr("%1  %2 km  (点击打开测点)").arg(QString::fromStdString(s.name)).arg(s.distanceKm, 0, 'f', 2));
    } else {
        setToolTip({});
    }
}

}  // namespace mt1d::gui::survey
