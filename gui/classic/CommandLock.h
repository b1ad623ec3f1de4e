#pragma once
// Disables a set of controls for the lifetime of the lock and enables again those it
// disabled, on every way out. Used while a long command lets events through, so that no
// other command can change the data it works on.

#include <QList>
#include <QPointer>
#include <QWidget>

namespace mt1d::gui {

class CommandLock {
public:
    explicit CommandLock(const QList<QWidget*>& controls);
    ~CommandLock();
    CommandLock(const CommandLock&) = delete;
    CommandLock& operator=(const CommandLock&) = delete;

private:
    QList<QPointer<QWidget>> disabled_;
};

}  // namespace mt1d::gui
