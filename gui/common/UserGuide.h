#pragma once
// 帮助 → 用户指南: the user guide (docs/guide/README.md and its pages, Markdown) opened in the
// desktop's viewer for such files.

#include <QString>
#include <QUrl>

class QWidget;

namespace mt1d::gui {

// The guide's first page: beside the program when it is installed
// (<prefix>/share/doc/mt1d/guide/README.md), else in the source tree it was built from.
// Empty when neither exists.
QString UserGuidePath(const QString& programDir);

// Opens the guide; says where it should be, and that it is missing, when it cannot.
void OpenUserGuide(QWidget* owner);

}  // namespace mt1d::gui
