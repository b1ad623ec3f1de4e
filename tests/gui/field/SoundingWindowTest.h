#pragma once
// The sounding window's test classes, run one after the other.

#include <QObject>

#include <memory>

namespace mt1d::test {

std::unique_ptr<QObject> NewSoundingWindowTest();
std::unique_ptr<QObject> NewWorkspaceTest();
std::unique_ptr<QObject> NewUncertaintyTest();
std::unique_ptr<QObject> NewDimsTabTest();
std::unique_ptr<QObject> NewUndoTest();
std::unique_ptr<QObject> NewPlotLayoutTest();

}  // namespace mt1d::test
