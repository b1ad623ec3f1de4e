#include "gui/common/UserGuide.h"

#include "gui/common/MessageBoxes.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include "gui/common/Language.h"

using mt1d::gui::Ui;


namespace mt1d::gui {

QString UserGuidePath(const QString& programDir)
{
    const QStringList candidates = {
        QDir(programDir).filePath(QStringLiteral("../share/doc/mt1d/guide/README.md")),
        QStringLiteral(MT1D_GUIDE_DIR "/README.md"),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile()) return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

void OpenUserGuide(QWidget* owner)
{
    const QString path = UserGuidePath(QCoreApplication::applicationDirPath());
    if (path.isEmpty()) {
        ShowProgramMessage(owner, Ui::tr("用户指南"),
                           Ui::tr("找不到用户指南 (the user guide is missing): ") +
                               QStringLiteral(MT1D_GUIDE_DIR "/README.md"));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        ShowProgramMessage(owner, Ui::tr("用户指南"),
                           Ui::tr("无法打开用户指南，请直接阅读 (cannot open the user guide; read it at): ") + path);
    }
}

}  // namespace mt1d::gui
