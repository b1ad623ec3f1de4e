#pragma once
// What the main window's File menu does for soundings and projects, and what it does with
// files dropped on it. The sounding windows install these (FieldHooks.h); the main window only
// calls them. A menu entry whose hook is empty is disabled, and without `openFiles` the
// window takes no drops.

#include <QStringList>

#include <functional>

namespace mt1d::gui {

struct FileMenuHooks {
    std::function<void()> openSounding, openProject, saveProject, saveProjectAs;
    // Files dropped on the main window (soundings, and projects by their suffix).
    std::function<void(const QStringList& files)> openFiles;
    std::function<void()> openSurvey;  // 打开测区…: a survey folder and its section
};

}  // namespace mt1d::gui
