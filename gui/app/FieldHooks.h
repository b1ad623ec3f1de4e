#pragma once
// Gives the main window's File menu and its drops to the workspace of sounding windows: open
// soundings and projects, save the project, and open dropped files. Each message and dialog
// is the workspace's, with the main window as its parent.

class TForm1;

namespace mt1d::gui {

namespace field {
class FieldWorkspace;
}

// The workspace must outlive the window's use of the hooks (the launcher keeps both until the
// message loop ends).
void InstallFieldHooks(TForm1& form, field::FieldWorkspace& workspace);

}  // namespace mt1d::gui
