#pragma once
// Start-up of the program: the application object, the main window and the message loop.
//
//   mt1d-gui                     the window
//   mt1d-gui --screenshot FILE   saves a PNG of the window once it has been painted, then quits
//   mt1d-gui --measure           prints start-up and command timings, then quits

namespace mt1d::gui {

int RunApplication(int& argc, char** argv);

}  // namespace mt1d::gui
