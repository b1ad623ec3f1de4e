#include "gui/app/GuardedApplication.h"

#include "gui/common/MessageBoxes.h"

namespace mt1d::gui {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The title of the task-bar entry; window captions stay as each window sets them.
    setApplicationName(kApplicationTitle);
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowErrorBox(activeWindow(), CurrentExceptionMessage());
        return false;
    }
}

}  // namespace mt1d::gui
