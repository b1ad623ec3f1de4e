#pragma once
// Where every window of the program keeps what it remembers (QSettings; on Linux
// ~/.config/mt1d/mt1d-gui.conf): the classic window's view and export folder and the sounding
// windows' geometry, whatever names the application object carries.

#include <QString>

namespace mt1d::gui {

inline const QString kSettingsOrganisation = QStringLiteral("mt1d");
inline const QString kSettingsApplication = QStringLiteral("mt1d-gui");

}  // namespace mt1d::gui
