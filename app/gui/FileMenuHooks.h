#pragma once
// What the main window's File menu does for soundings and projects. The sounding windows
// install these; the main window only calls them. A menu entry whose hook is empty is
// disabled.

#include <functional>

namespace mt1d::gui {

struct FileMenuHooks {
    std::function<void()> openSounding, openProject, saveProject, saveProjectAs;
};

}  // namespace mt1d::gui
