#pragma once
// The phase-tensor pseudo-section of a survey (section/DimsSection.h): β, or the
// ellipticity, of every site as colour against distance along the profile (across) and
// period (down, logarithmic), β on a diverging scale white at 0, the ellipticity from white
// up. The sites' soundings are read and analysed when the view is first shown, not before.

#include "section/DimsSection.h"
#include "section/Section.h"

#include <QWidget>

#include <filesystem>
#include <optional>

class QCPColorMap;
class QCPColorScale;
class QComboBox;
class QCustomPlot;
class QLabel;

namespace mt1d::gui::survey {

class DimsSectionView : public QWidget {
    Q_OBJECT

public:
    enum class Quantity { kBeta, kEllipticity };

    // `section`: the sites and their columns; `folder`: the batch output folder, where the
    // sites' sounding files are looked for (LocateSoundingFile).
    DimsSectionView(section::Section section, std::filesystem::path folder, QWidget* parent = nullptr);

    // Reads and analyses the sites now, if not done yet, and draws the quantity of the box.
    void Load();
    const std::optional<section::DimsSection>& Shown() const { return grid_; }
    Quantity Chosen() const;
    // Writes the plot as a figure (.png, .svg, .pdf); an empty string, or what went wrong.
    QString ExportFigure(const QString& file);

    QComboBox* QuantityBox;
    QCustomPlot* Plot;
    QCPColorMap* Map;
    QCPColorScale* Scale;
    QLabel* NotesLabel;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;  // the notes and the drawing in the new language

private:
    void Draw();

    section::Section section_;
    std::filesystem::path folder_;
    std::optional<section::DimsSection> grid_;
};

}  // namespace mt1d::gui::survey
