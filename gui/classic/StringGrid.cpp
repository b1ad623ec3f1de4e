#include "gui/classic/StringGrid.h"

#include <QHeaderView>

namespace mt1d::gui {

namespace {

constexpr int kRowHeight = 24;  // px, room for one line of text and the grid line

}  // namespace

StringGrid::StringGrid(int columnCount, int columnWidth, QWidget* parent)
    : QTableWidget(0, columnCount, parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setDefaultSectionSize(columnWidth);
    horizontalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->setMinimumSectionSize(8);
    setShowGrid(true);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                    | QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setWordWrap(false);
}

void StringGrid::SetRowCount(int rows)
{
    const int before = rowCount();
    setRowCount(rows);
    AddCells(before);
}

QString StringGrid::Cell(int column, int row) const
{
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void StringGrid::SetCell(int column, int row, const QString& text)
{
    if (QTableWidgetItem* cell = item(row, column)) {  // outside the grid: nothing to write
        cell->setText(text);
    }
}

void StringGrid::CommitEdit()
{
    if (state() != QAbstractItemView::EditingState) {
        return;
    }
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void StringGrid::AddCells(int firstRow)
{
    const QBrush fixedShade = palette().button();
    for (int row = firstRow; row < rowCount(); ++row) {
        for (int column = 0; column < columnCount(); ++column) {
            auto* cell = new QTableWidgetItem;
            if (row == 0 || column == 0) {
                cell->setFlags(Qt::ItemIsEnabled);
                cell->setBackground(fixedShade);
            }
            setItem(row, column, cell);
        }
    }
}

}  // namespace mt1d::gui
