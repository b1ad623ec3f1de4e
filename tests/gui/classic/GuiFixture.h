#pragma once
// What every window test starts from: a fresh main window after start-up, a modal driver
// that answers its boxes, and helpers that press its controls as the user does.

#include "gui/classic/BoundsDialog.h"
#include "gui/classic/MainWindow.h"
#include "tests/gui/classic/ModalDriver.h"
#include "gui/classic/RadioGroup.h"
#include "gui/classic/ResponseChart.h"
#include "gui/classic/StringGrid.h"
#include "gui/classic/UpDown.h"
#include "gui/common/ViewSettings.h"

#include <QLocale>
#include <QSettings>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace mt1d::test {

// A grid as the user sees it, row by row, cells joined by '|'.
inline QStringList GridRows(const gui::StringGrid& grid)
{
    QStringList rows;
    for (int row = 0; row < grid.RowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < grid.columnCount(); ++column) {
            cells << grid.Cell(column, row);
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// Pins what the tests read to the C locale.
inline void PinLocale()
{
    QLocale::setDefault(QLocale::c());
}

class GuiFixture {
protected:
    // The driver comes first, so that a box shown during start-up is answered too. Every
    // window starts from empty settings.
    void StartWindow()
    {
        QSettings(gui::kSettingsOrganisation, gui::kSettingsApplication).clear();
        driver = std::make_unique<ModalDriver>();
        form = std::make_unique<TForm1>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    // Fails the running test for every unexpected or missing modal window.
    void FinishWindow()
    {
        const QStringList problems = driver->Problems();
        form.reset();
        driver.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    }

    void PressUp(int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            QTest::mouseClick(form->UpDown1->UpArrow(), Qt::LeftButton);
        }
    }

    void PressDown(int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            QTest::mouseClick(form->UpDown1->DownArrow(), Qt::LeftButton);
        }
    }

    // Chooses an inversion method as the user does. Choosing the constrained method opens
    // the bounds dialog, which this closes with Cancel.
    void ChooseMethod(int index)
    {
        if (index == kMethodConstrained && form->InvType->ItemIndex() != index) {
            driver->ExpectWindow<TUDPForm>(QStringLiteral("bounds dialog"), [](TUDPForm* dialog) {
                ModalDriver::ClickLater(dialog->BitBtn2);
            });
        }
        ClickItem(form->InvType, index);
    }

    void ChooseSource(int index) { ClickItem(form->RESPH, index); }

    // A click on the item's round indicator.
    static void ClickItem(gui::RadioGroup* group, int index)
    {
        QRadioButton* item = group->Item(index);
        QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
    }

    std::unique_ptr<ModalDriver> driver;
    std::unique_ptr<TForm1> form;
};

}  // namespace mt1d::test
