#include "gui/common/MessageBoxes.h"

#include "gui/common/Language.h"

#include <QMessageBox>

namespace mt1d::gui {

namespace {

void ShowModal(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
               const QString& text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);  // reports hold tabs and plain line breaks
    box.exec();
}

}  // namespace

void ShowProgramMessage(QWidget* owner, const QString& caption, const QString& text)
{
    ShowModal(owner, QMessageBox::Warning, caption, text);
}

void ShowErrorBox(QWidget* owner, const QString& message)
{
    ShowModal(owner, QMessageBox::Critical, Ui::tr(kApplicationTitleText), message);
}

QString CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QString();
    }
}

}  // namespace mt1d::gui
