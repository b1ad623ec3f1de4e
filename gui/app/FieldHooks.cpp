#include "gui/app/FieldHooks.h"

#include "gui/field/FieldWorkspace.h"
#include "gui/classic/MainWindow.h"

namespace mt1d::gui {

void InstallFieldHooks(TForm1& form, field::FieldWorkspace& workspace)
{
    TForm1* const window = &form;
    field::FieldWorkspace* const fields = &workspace;
    form.FileHooks.openSounding = [window, fields] { fields->ChooseAndOpenSoundings(window); };
    form.FileHooks.openProject = [window, fields] { fields->ChooseAndOpenProject(window); };
    form.FileHooks.saveProject = [window, fields] { fields->SaveProject(window); };
    form.FileHooks.saveProjectAs = [window, fields] { fields->SaveProjectAs(window); };
    form.FileHooks.openFiles = [window, fields](const QStringList& files) { fields->OpenDropped(files, window); };
    form.RefreshFileActions();
}

}  // namespace mt1d::gui
