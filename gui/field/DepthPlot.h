#pragma once
// The models against depth: resistivity on a log axis across, depth on a log axis downwards.
// A layered model is a staircase, a smooth one a line through its many thin layers; the
// Niblett–Bostick points of the data and the depth of investigation are marked.
//
// The hand-edited model can be dragged: a vertical segment (one layer's resistivity) moves
// across, a horizontal one (an interface) up and down. The plot only reports where the user
// drags to; the window applies it to its state and gives the plot the new model.

#include "numerics/LayeredEarth.h"
#include "gui/field/ModelLines.h"
#include "fitting/NiblettBostick.h"

#include <qcustomplot.h>

#include <array>
#include <optional>
#include <vector>

namespace mt1d::gui::field {

class DepthPlot : public QCustomPlot {
    Q_OBJECT

public:
    // How close, in pixels, a press must come to a segment of the edited model to grab it.
    static constexpr double kGrabPixels = 7.0;

    explicit DepthPlot(QWidget* parent = nullptr);

    // An empty model hides its line. Keeps the axis ranges (call Rescale after a new fit).
    void SetModel(ModelLine line, const earth::LayeredModel& model);
    // Whether the hand-edited model is drawn and named in the legend: not while it is a fit's
    // model unchanged, whose own staircase then stands for it. Undrawn, it can still be
    // grabbed, and it shows from the first step of a drag.
    void SetEditedShown(bool shown);
    bool EditedShown() const { return editedShown_; }
    void SetNiblettBostick(const std::vector<fitting::DepthPoint>& points, double depthOfInvestigationM);
    // Ranges that take in every model, point and the depth of investigation.
    void Rescale();

    QCPCurve* Staircase(ModelLine line) const { return lines_[static_cast<std::size_t>(line)]; }
    QCPCurve* BostickPoints() const { return bostick_; }
    QCPItemStraightLine* InvestigationLine() const { return investigation_; }
    double InvestigationDepth() const { return investigationM_; }
    QCPItemText* InvestigationLabel() const { return investigationLabel_; }
    // The pixels of the drawn staircases and Niblett–Bostick points: what the legend and the
    // label of the depth of investigation must not cover.
    std::vector<QPointF> DataPixels() const;
    // The depths the staircases start and end at (depth 0 has no place on a log axis).
    double TopDepth() const { return topM_; }
    double BottomDepth() const { return bottomM_; }

    // Pixel positions of the edited model's handles: the middle of layer j's vertical segment,
    // the middle of interface i's horizontal one (the bottom of layer i).
    QPointF LayerHandle(std::size_t layer) const;
    QPointF InterfaceHandle(std::size_t index) const;

signals:
    void resistivityDragged(std::size_t layer, double resistivityOhmM);
    void interfaceDragged(std::size_t index, double depthM);
    void dragFinished();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The legend's place follows from where the data are in this very layout.
    void updateLayout() override;

private:
    struct Grab {
        bool layer = true;  // a layer's resistivity; else an interface
        std::size_t index = 0;
    };

    void Draw(ModelLine line);
    bool PlaceLabels();  // whether the legend moved
    std::optional<Grab> GrabAt(const QPointF& pixel) const;

    std::array<earth::LayeredModel, 3> models_;
    std::array<QCPCurve*, 3> lines_{};
    QCPCurve* bostick_;
    QCPItemStraightLine* investigation_;
    QCPItemText* investigationLabel_;
    std::vector<fitting::DepthPoint> points_;
    double investigationM_ = 0.0;
    double topM_ = 1.0;
    double bottomM_ = 1e5;
    std::optional<Grab> grab_;
    bool editedShown_ = true;
};

}  // namespace mt1d::gui::field
