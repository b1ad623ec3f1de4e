#pragma once
// The parameter-range dialog: one row per layer with the lower and upper bounds of its
// resistivity and thickness. It closes (by OK, Cancel or the close button) only while every
// cell holds a number.

#include "classic/Commands.h"

#include <QDialog>

#include <vector>

class QPushButton;

namespace mt1d::gui {
class StringGrid;
}

class TUDPForm : public QDialog {
    Q_OBJECT

public:
    enum ModalResult { kOk = 1, kCancel = 2 };

    explicit TUDPForm(QWidget* parent = nullptr);

    // Writes the headings, the layer numbers and the bound texts.
    void Fill(const std::vector<mt1d::BoundsRow>& rows);
    // The bound texts as they stand in the grid.
    std::vector<mt1d::BoundsRow> Rows() const;

    // Runs on every attempt to close; clears `canClose` and tells the user when a cell
    // does not hold a number.
    void FormCloseQuery(bool& canClose);

    void done(int result) override;
    void reject() override;  // the close button and Escape: Cancel

    mt1d::gui::StringGrid* PUD;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
};
