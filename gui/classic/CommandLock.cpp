#include "gui/classic/CommandLock.h"

namespace mt1d::gui {

CommandLock::CommandLock(const QList<QWidget*>& controls)
{
    for (QWidget* control : controls) {
        // Only controls that are not disabled on their own account.
        if (!control->testAttribute(Qt::WA_ForceDisabled)) {
            control->setEnabled(false);
            disabled_.append(control);
        }
    }
}

CommandLock::~CommandLock()
{
    for (const QPointer<QWidget>& control : disabled_) {
        if (control) {
            control->setEnabled(true);
        }
    }
}

}  // namespace mt1d::gui
