#pragma once
// The window test classes, one per window, run one after another by the test program.

#include <QObject>

#include <memory>

namespace mt1d::test {

std::unique_ptr<QObject> NewMainWindowTest();
std::unique_ptr<QObject> NewBoundsDialogTest();
std::unique_ptr<QObject> NewPrintAboutTest();
std::unique_ptr<QObject> NewLaunchOptionsTest();
std::unique_ptr<QObject> NewMenuExportTest();
std::unique_ptr<QObject> NewChartViewTest();
std::unique_ptr<QObject> NewPlacementTest();
std::unique_ptr<QObject> NewFieldHooksTest();

}  // namespace mt1d::test
