#pragma once
// A grid of cell texts addressed by (column, row). Row 0 is the heading row and column 0
// the row-number column: both fixed (shaded, not editable). Qt's own headers are hidden, so
// row and column indices are those the user sees.

#include <QTableWidget>

namespace mt1d::gui {

class StringGrid : public QTableWidget {
    Q_OBJECT

public:
    StringGrid(int columnCount, int columnWidth, QWidget* parent = nullptr);

    int RowCount() const { return rowCount(); }
    // Adds empty rows at, or removes rows from, the bottom; kept cells keep their texts.
    void SetRowCount(int rows);

    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);

    // Takes the text of a cell still open for editing into the cell and closes the editor.
    void CommitEdit();

private:
    void AddCells(int firstRow);
};

}  // namespace mt1d::gui
