#pragma once
// The section drawn on a widget (SectionPainter.h, the layout of the figure files at the
// widget's size). A click on a site's column or name emits siteClicked with its index in the
// section's sites.

#include "section/Section.h"

#include <QWidget>

#include <optional>

namespace mt1d::gui::survey {

class SectionView : public QWidget {
    Q_OBJECT

public:
    explicit SectionView(section::Section section, QWidget* parent = nullptr);

    const section::Section& Shown() const { return section_; }
    // Where the centre of a site's column is, at the current size (for tests and tooltips).
    QPoint ColumnCentre(std::size_t site) const;
    std::optional<std::size_t> SiteAt(QPoint point) const;

signals:
    void siteClicked(std::size_t site);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    section::Section section_;
};

}  // namespace mt1d::gui::survey
