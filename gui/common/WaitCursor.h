#pragma once
// The wait cursor for the lifetime of the guard, restored on every way out.

#include <QGuiApplication>

namespace mt1d::gui {

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace mt1d::gui
