#pragma once
// The program's message boxes and the one place that turns an escaping exception into the
// application's error box.

#include <QString>

#include <exception>
#include <string>

class QWidget;

namespace mt1d::gui {

// The application's title: the caption of its error box.
// The title of the program's message boxes: the Chinese source, and kApplicationTitle as text.
inline constexpr char kApplicationTitleText[] = QT_TRANSLATE_NOOP("mt1d::gui::Ui", "大地电磁测深计算");
inline const QString kApplicationTitle = QString::fromUtf8(kApplicationTitleText);

// A program message: modal, warning icon, one OK button, owned by `owner`.
void ShowProgramMessage(QWidget* owner, const QString& caption, const QString& text);

// The application's error box: modal, captioned with the application title, showing the
// message of an exception that ended a command.
void ShowErrorBox(QWidget* owner, const QString& message);

// Text of the exception being handled (UTF-8 what(), empty for anything else).
QString CurrentExceptionMessage();

// Runs a command; an exception that escapes it is shown in the error box and the program
// goes on. Every handler of the windows runs through this.
template <typename Command>
void Guarded(QWidget* owner, Command&& command)
{
    try {
        command();
    } catch (...) {
        ShowErrorBox(owner, CurrentExceptionMessage());
    }
}

}  // namespace mt1d::gui
