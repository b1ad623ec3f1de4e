#pragma once
// The two languages of the windows. Chinese is the program's first language: every window text
// is written in Chinese in the sources and marked with Ui::tr (or QT_TRANSLATE_NOOP with the
// context kUiContext for tables of texts); gui/translations/mt1d_en.ts holds the English, built
// into a .qm that is embedded as a resource (":/i18n/mt1d_en.qm").
//
// SwitchLanguage installs or removes the English translator and retranslates every open window:
// RetranslateTree gives each text slot (labels, buttons, group boxes, tabs, actions and menus,
// combo box items, table headers, window titles, tool tips, plot axes, legends and plot titles)
// the text of its source in the new language, and Qt then sends QEvent::LanguageChange to every
// widget, on which the windows rebuild their texts that carry numbers or names.
//
// A slot's source is found without any bookkeeping by the code that set the text: a text with a
// Han character is a source itself; an English text shown in English is traced back through the
// texts Ui::tr has handed out; what is neither (numbers, file names) is left alone. A widget whose
// texts are English in both languages by design says so with the dynamic property
// "mt1dSameInEveryLanguage" set to true.

#include <QCoreApplication>
#include <QString>

class QMenu;
class QWidget;

namespace mt1d::gui {

enum class Language { kChinese, kEnglish };

// The context of every window text in the translation files.
inline constexpr char kUiContext[] = "mt1d::gui::Ui";

// The window texts' translation function (lupdate reads `Ui::tr("…")` under the context above).
struct Ui {
    static QString tr(const char* source, const char* disambiguation = nullptr, int n = -1);
};

// The language shown now.
Language CurrentLanguage();

// Chinese for a system locale whose language is Chinese, English otherwise.
Language SystemLanguage();

// "zh" / "en" and back; nullopt-like: returns false for any other text.
QString LanguageCode(Language language);
bool ParseLanguageCode(const QString& code, Language* language);

// The language remembered in the settings, or `fallback` when none (or an unknown one) is.
Language LoadLanguage(Language fallback);
void StoreLanguage(Language language);

// Shows the windows in `language` from now on: installs (or removes) the translator and
// retranslates every top-level widget. Returns false when the English translations cannot be
// loaded (the language stays as it was).
bool SwitchLanguage(Language language);

// Gives every text slot under `root` (root included) its text in the current language.
void RetranslateTree(QWidget* root);

// `text` in the current language when it is a whole text Ui::tr knows (in either language);
// otherwise `text` itself. For texts kept outside the widgets, such as undo steps' names.
QString Retranslated(const QString& text);

// Adds 语言/Language (中文, English) to a window's View menu: checkable entries that switch at
// once and are remembered. The entries' own texts are the same in both languages.
QMenu* AddLanguageMenu(QMenu* viewMenu);

// Whether `text` holds a Han character (CJK unified ideographs and their extension A).
bool HasHan(const QString& text);

}  // namespace mt1d::gui
