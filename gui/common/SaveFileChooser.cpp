#include "gui/common/SaveFileChooser.h"

#include "gui/common/ViewSettings.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace mt1d::gui {

namespace {

// "PNG 图像 (*.png)" → "png".
QString FilterSuffix(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    return pattern.match(filter).captured(1);
}

}  // namespace

QString AskSaveFileName(QWidget* owner, const QString& caption, const QStringList& filters)
{
    QFileDialog dialog(owner, caption, LoadExportFolder());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) {
        dialog.setDefaultSuffix(FilterSuffix(filters.first()));
    }
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& filter) {
                         dialog.setDefaultSuffix(FilterSuffix(filter));
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    const QString file = dialog.selectedFiles().first();
    StoreExportFolder(QFileInfo(file).absolutePath());
    return file;
}

}  // namespace mt1d::gui
