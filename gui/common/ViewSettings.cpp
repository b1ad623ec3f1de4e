#include "gui/common/ViewSettings.h"

#include <QSettings>

namespace mt1d::gui {

namespace {

const QString kConventionalPhaseKey = QStringLiteral("mainWindow/conventionalPhase");
const QString kExportFolderKey = QStringLiteral("mainWindow/exportFolder");

}  // namespace

bool LoadConventionalPhase()
{
    return QSettings(kSettingsOrganisation, kSettingsApplication)
        .value(kConventionalPhaseKey, false)
        .toBool();
}

void StoreConventionalPhase(bool shown)
{
    QSettings(kSettingsOrganisation, kSettingsApplication).setValue(kConventionalPhaseKey, shown);
}

QString LoadExportFolder()
{
    return QSettings(kSettingsOrganisation, kSettingsApplication)
        .value(kExportFolderKey)
        .toString();
}

void StoreExportFolder(const QString& folder)
{
    QSettings(kSettingsOrganisation, kSettingsApplication).setValue(kExportFolderKey, folder);
}

}  // namespace mt1d::gui
