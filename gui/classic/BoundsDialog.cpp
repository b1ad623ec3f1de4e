#include "gui/classic/BoundsDialog.h"

#include "gui/common/MessageBoxes.h"
#include "gui/classic/StringGrid.h"

#include <QPushButton>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


using mt1d::gui::StringGrid;

namespace {

enum Column { kNumber, kResLower, kResUpper, kThickLower, kThickUpper, kColumnCount };
constexpr int kColumnWidth = 60;

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string Text(const QString& text)
{
    return text.toStdString();
}

}  // namespace

TUDPForm::TUDPForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint),
      PUD(new StringGrid(kColumnCount, kColumnWidth, this)),
      BitBtn1(new QPushButton(Ui::tr("确定"), this)),
      BitBtn2(new QPushButton(Ui::tr("取消"), this))
{
    setObjectName(QStringLiteral("UDPForm"));
    setWindowTitle(Ui::tr("参数范围"));
    setFixedSize(378, 196);
    PUD->setObjectName(QStringLiteral("PUD"));
    PUD->setGeometry(24, 24, 337, 120);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(200, 160, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(288, 160, 75, 25);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(kOk); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(kCancel); });
}

void TUDPForm::Fill(const std::vector<mt1d::BoundsRow>& rows)
{
    PUD->SetRowCount(static_cast<int>(rows.size()) + 1);
    const char* headings[kColumnCount] = {"No", "RD", "RU", "HD", "HU"};
    for (int column = 0; column < kColumnCount; ++column) {
        PUD->SetCell(column, 0, QString::fromLatin1(headings[column]));
    }
    for (int row = 1; row <= static_cast<int>(rows.size()); ++row) {
        const mt1d::BoundsRow& bounds = rows[row - 1];
        PUD->SetCell(kNumber, row, QString::number(row));
        PUD->SetCell(kResLower, row, Text(bounds.resistivityLower));
        PUD->SetCell(kResUpper, row, Text(bounds.resistivityUpper));
        PUD->SetCell(kThickLower, row, Text(bounds.thicknessLower));
        PUD->SetCell(kThickUpper, row, Text(bounds.thicknessUpper));
    }
}

std::vector<mt1d::BoundsRow> TUDPForm::Rows() const
{
    std::vector<mt1d::BoundsRow> rows;
    for (int row = 1; row < PUD->RowCount(); ++row) {
        rows.push_back({Text(PUD->Cell(kResLower, row)), Text(PUD->Cell(kResUpper, row)),
                        Text(PUD->Cell(kThickLower, row)), Text(PUD->Cell(kThickUpper, row))});
    }
    return rows;
}

void TUDPForm::FormCloseQuery(bool& canClose)
{
    if (!mt1d::BoundsTableConverts(Rows())) {
        mt1d::gui::ShowProgramMessage(this, QStringLiteral("Vantorel Hint..."),
                                      QStringLiteral("Data input error,please check it!"));
        canClose = false;
    }
}

void TUDPForm::done(int result)
{
    // A cell still being edited counts with the text typed so far.
    PUD->CommitEdit();
    bool canClose = true;
    mt1d::gui::Guarded(this, [&] { FormCloseQuery(canClose); });
    if (canClose) {
        QDialog::done(result);
    }
}

void TUDPForm::reject()
{
    done(kCancel);
}
