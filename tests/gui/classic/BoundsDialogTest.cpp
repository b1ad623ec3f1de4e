// The parameter-range dialog opened from the inversion-method group: what it shows, what OK
// and Cancel do to the store, and that a cell which is not a number keeps it open whichever
// way the user tries to leave.

#include "tests/gui/classic/GuiFixture.h"
#include "tests/gui/classic/GuiTests.h"

#include "classic/Commands.h"

#include <QLineEdit>

#include <cstring>

namespace mt1d::test {
// How the user tries to leave the dialog.
enum class Way { Ok, Cancel, CloseButton };
}  // namespace mt1d::test

Q_DECLARE_METATYPE(mt1d::test::Way)

namespace mt1d::test {

namespace {

void LeaveLater(TUDPForm* dialog, Way way)
{
    switch (way) {
    case Way::Ok:
        ModalDriver::ClickLater(dialog->BitBtn1);
        break;
    case Way::Cancel:
        ModalDriver::ClickLater(dialog->BitBtn2);
        break;
    case Way::CloseButton:
        QTimer::singleShot(0, dialog, &QWidget::close);
        break;
    }
}

bool SameStore(const ModelStore& a, const ModelStore& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

class BoundsDialogTest : public QObject, private GuiFixture {
    Q_OBJECT

private slots:
    void initTestCase() { PinLocale(); }
    void init() { StartWindow(); }
    void cleanup() { FinishWindow(); }

    void onlyConstrainedMethodOpensDialog()
    {
        ChooseMethod(kMethodConstrained);
        ClickItem(form->InvType, kMethodSvd);  // opens nothing
        QCOMPARE(form->InvType->ItemIndex(), static_cast<int>(kMethodSvd));
    }

    void dialogShowsStoreBounds_data()
    {
        QTest::addColumn<int>("upPresses");
        QTest::newRow("after start-up") << 0;
        // The rows follow the store's layer count, not the layer-count box.
        QTest::newRow("box changed, no forward run") << 1;
    }

    void dialogShowsStoreBounds()
    {
        QFETCH(int, upPresses);
        PressUp(upPresses);
        QStringList rows;
        QString title;
        QSize size;
        QString buttons;
        driver->ExpectWindow<TUDPForm>(QStringLiteral("bounds dialog"), [&](TUDPForm* dialog) {
            rows = GridRows(*dialog->PUD);
            title = dialog->windowTitle();
            size = dialog->size();
            buttons = dialog->BitBtn1->text() + dialog->BitBtn2->text();
            LeaveLater(dialog, Way::Cancel);
        });
        ClickItem(form->InvType, kMethodConstrained);
        QCOMPARE(rows, QStringList({"No|RD|RU|HD|HU", "1|1000.0|1000.0|50.0|5000.0",
                                    "2|1.0|100.0|50.0|5000.0", "3|100.0|10000.0|10.0|1000.0"}));
        QCOMPARE(title, QStringLiteral("参数范围"));
        QCOMPARE(size, QSize(378, 196));
        QCOMPARE(buttons, QStringLiteral("确定取消"));
    }

    void okKeepsEveryBoundItsUserLeftAlone()
    {
        // Layer 2 of 0.3 ohm-m over 1.6 m: default lower bounds 0.03 and 0.16, shown as 0.0
        // and 0.2.
        form->StringGrid1->SetCell(1, 2, QStringLiteral("0.3"));
        form->StringGrid1->SetCell(2, 2, QStringLiteral("1.6"));
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        const ModelStore before = form->Store;
        QCOMPARE(before.LowerBound[1], 0.03f);
        QCOMPARE(before.LowerBound[4], 0.16f);

        QString shown;
        driver->ExpectWindow<TUDPForm>(QStringLiteral("bounds dialog"), [&](TUDPForm* dialog) {
            shown = dialog->PUD->Cell(1, 2);
            dialog->PUD->SetCell(4, 1, QStringLiteral("7500"));  // HU of layer 1
            LeaveLater(dialog, Way::Ok);
        });
        ClickItem(form->InvType, kMethodConstrained);

        QCOMPARE(shown, QStringLiteral("0.0"));
        const ModelStore& after = form->Store;
        QCOMPARE(after.UpperBound[3], 7500.0f);
        for (int k = 0; k < 6; ++k) {
            QCOMPARE(after.LowerBound[k], before.LowerBound[k]);
            if (k != 3) QCOMPARE(after.UpperBound[k], before.UpperBound[k]);
        }

        // The constrained run accepts the bounds kept: a 0 would have been refused.
        driver->ExpectMessage();
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        QCOMPARE(driver->Messages().size(), 1);
        QCOMPARE(driver->Messages().first().title, QStringLiteral("Vantorel提示..."));

        QTest::mouseClick(form->BitBtn2, Qt::LeftButton);  // reset brings the defaults back
        QCOMPARE(form->Store.UpperBound[3], before.UpperBound[3]);
    }

    void badCellBlocksEveryWayOut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Way>("way");
        const QList<QPair<const char*, QString>> texts = {
            {"empty", QString()}, {"letters", QStringLiteral("abc")}, {"two points", QStringLiteral("1.2.3")}};
        const QList<QPair<const char*, Way>> ways = {
            {"OK", Way::Ok}, {"Cancel", Way::Cancel}, {"close button", Way::CloseButton}};
        for (const auto& [textName, text] : texts) {
            for (const auto& [wayName, way] : ways) {
                QTest::addRow("%s, %s", textName, wayName) << text << way;
            }
        }
    }

    void badCellBlocksEveryWayOut()
    {
        QFETCH(QString, text);
        QFETCH(Way, way);
        const ModelStore before = form->Store;
        int reopened = 0;
        driver->ExpectWindow<TUDPForm>(QStringLiteral("bounds dialog"), [&](TUDPForm* dialog) {
            dialog->PUD->SetCell(3, 2, text);
            LeaveLater(dialog, way);
        });
        driver->ExpectMessage();
        driver->ExpectWindow<TUDPForm>(QStringLiteral("dialog still open"), [&](TUDPForm* dialog) {
            ++reopened;
            dialog->PUD->SetCell(3, 2, QStringLiteral("5"));
            LeaveLater(dialog, Way::Cancel);
        });
        ClickItem(form->InvType, kMethodConstrained);

        QCOMPARE(reopened, 1);
        QCOMPARE(driver->Messages().size(), 1);
        const SeenMessage& box = driver->Messages().first();
        QCOMPARE(box.text, QStringLiteral("Data input error,please check it!"));
        QCOMPARE(box.title, QStringLiteral("Vantorel Hint..."));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY(box.okButton);
        QVERIFY(SameStore(before, form->Store));
    }

    void cellStillBeingEditedCounts()
    {
        driver->ExpectWindow<TUDPForm>(QStringLiteral("bounds dialog"), [](TUDPForm* dialog) {
            dialog->PUD->setCurrentCell(1, 1);
            dialog->PUD->editItem(dialog->PUD->item(1, 1));
            auto* editor = dialog->PUD->findChild<QLineEdit*>();
            if (editor != nullptr) {
                editor->setText(QStringLiteral("abc"));
            }
            LeaveLater(dialog, Way::Ok);
        });
        driver->ExpectMessage();
        driver->ExpectWindow<TUDPForm>(QStringLiteral("dialog still open"), [](TUDPForm* dialog) {
            LeaveLater(dialog, Way::CloseButton);  // the cell now holds abc: refused again
        });
        driver->ExpectMessage();
        driver->ExpectWindow<TUDPForm>(QStringLiteral("dialog open again"), [](TUDPForm* dialog) {
            dialog->PUD->SetCell(1, 1, QStringLiteral("900"));
            LeaveLater(dialog, Way::Ok);
        });
        ClickItem(form->InvType, kMethodConstrained);
        QCOMPARE(driver->Messages().size(), 2);
        QCOMPARE(form->Store.LowerBound[0], 900.0f);
    }

    void cancelLeavesStoreUntouched_data()
    {
        QTest::addColumn<Way>("way");
        QTest::newRow("Cancel") << Way::Cancel;
        QTest::newRow("close button") << Way::CloseButton;
    }

    void cancelLeavesStoreUntouched()
    {
        QFETCH(Way, way);
        const ModelStore before = form->Store;
        driver->ExpectWindow<TUDPForm>(QStringLiteral("bounds dialog"), [&](TUDPForm* dialog) {
            dialog->PUD->SetCell(1, 2, QStringLiteral("3"));
            dialog->PUD->SetCell(4, 3, QStringLiteral("12345"));
            LeaveLater(dialog, way);
        });
        ClickItem(form->InvType, kMethodConstrained);
        QVERIFY(SameStore(before, form->Store));
    }
};

std::unique_ptr<QObject> NewBoundsDialogTest()
{
    return std::make_unique<BoundsDialogTest>();
}

}  // namespace mt1d::test

#include "BoundsDialogTest.moc"
