#pragma once
// Start-up of the program: the application object, its options (LaunchOptions.h), the main
// window and the message loop.

namespace mt1d::gui {

int RunApplication(int& argc, char** argv);

}  // namespace mt1d::gui
