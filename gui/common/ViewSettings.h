#pragma once
// What the main window remembers between sessions, through QSettings (on Linux
// ~/.config/mt1d/mt1d-gui.conf, shared with the sounding windows). Tests point QSettings at
// a temporary folder.

#include "gui/common/SettingsNames.h"

#include <QString>

namespace mt1d::gui {

// Whether the phase chart shows the conventional impedance phase; false when never set.
bool LoadConventionalPhase();
void StoreConventionalPhase(bool shown);

// The folder of the last exported file; empty when there was none.
QString LoadExportFolder();
void StoreExportFolder(const QString& folder);

}  // namespace mt1d::gui
