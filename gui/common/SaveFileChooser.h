#pragma once
// Asking for the name of a file to write, behind a seam so that tests never open a dialog.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace mt1d::gui {

// Returns the chosen file name, or an empty string when the user cancels. `filters` are
// name filters such as "PNG 图像 (*.png)"; the first is preselected.
using SaveFileChooser =
    std::function<QString(QWidget* owner, const QString& caption, const QStringList& filters)>;

// The file dialog, opened in the folder of the last export. A name typed without a suffix
// gets the one of the selected filter.
QString AskSaveFileName(QWidget* owner, const QString& caption, const QStringList& filters);

}  // namespace mt1d::gui
