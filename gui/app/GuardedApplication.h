#pragma once
// The application object. Its event delivery is the last line of defence: an exception
// that a handler let escape is shown in the error box instead of ending the program.

#include <QApplication>

namespace mt1d::gui {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace mt1d::gui
