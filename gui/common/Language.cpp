#include "gui/common/Language.h"

#include "gui/common/SettingsNames.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QSettings>
#include <QTabBar>
#include <QTableWidget>
#include <QTranslator>
#include <QTreeWidget>

#include <qcustomplot.h>

#include <functional>

namespace mt1d::gui {

namespace {

const QString kLanguageKey = QStringLiteral("view/language");
const QString kEnglishFile = QStringLiteral(":/i18n/mt1d_en.qm");

Language current = Language::kChinese;
QTranslator* english = nullptr;  // installed while the language is English
// Whether the texts being retranslated were shown in English: only then is a text without Han a
// translation to be traced back. Going from Chinese, such a text is the same in both (a unit, a
// name, an English title of the classic window) and stays.
bool fromEnglish = false;

// English text handed out by Ui::tr → its Chinese source, so that a window built in English
// can be given its Chinese texts again. The first source of an English text is kept.
QHash<QString, QString>& Sources()
{
    static QHash<QString, QString> sources;
    return sources;
}

// One text slot of an object: its source and the text last shown are kept as dynamic properties
// (under `key`), so that a text the code has set since is recognised as new.
void Retranslate(QObject* owner, const QByteArray& key, const QString& text,
                 const std::function<void(const QString&)>& set)
{
    if (text.isEmpty()) return;
    const QByteArray sourceKey = "mt1dSource." + key;
    const QByteArray shownKey = "mt1dShown." + key;
    QString source;
    const QVariant shown = owner->property(shownKey.constData());
    if (shown.isValid() && shown.toString() == text) {
        source = owner->property(sourceKey.constData()).toString();
    } else if (HasHan(text)) {
        source = text;
    } else if (fromEnglish && !owner->property("mt1dSameInEveryLanguage").toBool()) {
        source = Sources().value(text);
    }
    if (source.isEmpty()) {
        owner->setProperty(sourceKey.constData(), QVariant());
        owner->setProperty(shownKey.constData(), QVariant());
        return;
    }
    const QByteArray utf8 = source.toUtf8();
    const QString translated = Ui::tr(utf8.constData());
    if (translated != text) set(translated);
    owner->setProperty(sourceKey.constData(), source);
    owner->setProperty(shownKey.constData(), translated);
}

void RetranslatePlot(QCustomPlot* plot)
{
    bool changed = false;
    const auto slot = [&](QObject* owner, const QByteArray& key, const QString& text,
                          const std::function<void(const QString&)>& set) {
        Retranslate(owner, key, text, [&](const QString& t) {
            set(t);
            changed = true;
        });
    };
    for (QCPAxisRect* rect : plot->axisRects()) {
        for (QCPAxis* axis : rect->axes()) {
            slot(axis, "label", axis->label(), [axis](const QString& t) { axis->setLabel(t); });
        }
    }
    for (int i = 0; i < plot->plottableCount(); ++i) {
        QCPAbstractPlottable* p = plot->plottable(i);
        slot(p, "name", p->name(), [p](const QString& t) { p->setName(t); });
    }
    for (int i = 0; i < plot->itemCount(); ++i) {
        if (auto* item = qobject_cast<QCPItemText*>(plot->item(i))) {
            slot(item, "text", item->text(), [item](const QString& t) { item->setText(t); });
        }
    }
    for (QCPLayoutElement* element : plot->plotLayout()->elements(true)) {
        if (auto* title = qobject_cast<QCPTextElement*>(element)) {
            slot(title, "text", title->text(), [title](const QString& t) { title->setText(t); });
        }
    }
    if (changed) plot->replot(QCustomPlot::rpQueuedReplot);
}

void RetranslateWidget(QWidget* w)
{
    Retranslate(w, "windowTitle", w->windowTitle(), [w](const QString& t) { w->setWindowTitle(t); });
    Retranslate(w, "toolTip", w->toolTip(), [w](const QString& t) { w->setToolTip(t); });
    if (auto* label = qobject_cast<QLabel*>(w)) {
        Retranslate(w, "text", label->text(), [label](const QString& t) { label->setText(t); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        Retranslate(w, "text", button->text(), [button](const QString& t) { button->setText(t); });
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        Retranslate(w, "title", group->title(), [group](const QString& t) { group->setTitle(t); });
    } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
        for (int i = 0; i < tabs->count(); ++i) {
            Retranslate(w, "tab" + QByteArray::number(i), tabs->tabText(i),
                        [tabs, i](const QString& t) { tabs->setTabText(i, t); });
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        for (int i = 0; i < combo->count(); ++i) {
            Retranslate(w, "item" + QByteArray::number(i), combo->itemText(i),
                        [combo, i](const QString& t) { combo->setItemText(i, t); });
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        Retranslate(w, "placeholder", edit->placeholderText(),
                    [edit](const QString& t) { edit->setPlaceholderText(t); });
    } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
        for (int c = 0; c < table->columnCount(); ++c) {
            if (QTableWidgetItem* item = table->horizontalHeaderItem(c)) {
                Retranslate(w, "column" + QByteArray::number(c), item->text(),
                            [item](const QString& t) { item->setText(t); });
            }
        }
    } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
        QTreeWidgetItem* header = tree->headerItem();
        for (int c = 0; header && c < header->columnCount(); ++c) {
            Retranslate(w, "column" + QByteArray::number(c), header->text(c),
                        [header, c](const QString& t) { header->setText(c, t); });
        }
    } else if (auto* plot = qobject_cast<QCustomPlot*>(w)) {
        RetranslatePlot(plot);
    }
}

}  // namespace

QString Ui::tr(const char* source, const char* disambiguation, int n)
{
    QString translated = QCoreApplication::translate(kUiContext, source, disambiguation, n);
    if (english != nullptr && n < 0) {
        const QString original = QString::fromUtf8(source);
        if (translated != original && !Sources().contains(translated)) Sources().insert(translated, original);
    }
    return translated;
}

Language CurrentLanguage()
{
    return current;
}

Language SystemLanguage()
{
    return QLocale::system().language() == QLocale::Chinese ? Language::kChinese : Language::kEnglish;
}

QString LanguageCode(Language language)
{
    return language == Language::kEnglish ? QStringLiteral("en") : QStringLiteral("zh");
}

bool ParseLanguageCode(const QString& code, Language* language)
{
    const QString c = code.trimmed().toLower();
    if (c == QLatin1String("zh")) {
        *language = Language::kChinese;
        return true;
    }
    if (c == QLatin1String("en")) {
        *language = Language::kEnglish;
        return true;
    }
    return false;
}

Language LoadLanguage(Language fallback)
{
    Language language = fallback;
    const QString code =
        QSettings(kSettingsOrganisation, kSettingsApplication).value(kLanguageKey).toString();
    return ParseLanguageCode(code, &language) ? language : fallback;
}

void StoreLanguage(Language language)
{
    QSettings(kSettingsOrganisation, kSettingsApplication).setValue(kLanguageKey, LanguageCode(language));
}

bool SwitchLanguage(Language language)
{
    if (language == Language::kEnglish && english == nullptr) {
        auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
        if (!translator->load(kEnglishFile)) return false;
        english = translator.release();
        QCoreApplication::installTranslator(english);
    } else if (language == Language::kChinese && english != nullptr) {
        QCoreApplication::removeTranslator(english);
        delete english;
        english = nullptr;
    }
    fromEnglish = current == Language::kEnglish;
    current = language;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        // Installing or removing the translator posted QEvent::LanguageChange to the application,
        // which posts it on to every window: delivered here, so that the windows have formed
        // their texts with names and numbers again when this returns. The rest follow.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        for (QWidget* window : QApplication::topLevelWidgets()) RetranslateTree(window);
    }
    return true;
}

void RetranslateTree(QWidget* root)
{
    RetranslateWidget(root);
    for (QWidget* child : root->findChildren<QWidget*>()) RetranslateWidget(child);
    QList<QAction*> actions = root->findChildren<QAction*>();
    actions += root->actions();
    for (QAction* action : actions) {
        Retranslate(action, "text", action->text(), [action](const QString& t) { action->setText(t); });
    }
}

QString Retranslated(const QString& text)
{
    const QString source = HasHan(text) ? text : Sources().value(text);
    if (source.isEmpty()) return text;
    const QByteArray utf8 = source.toUtf8();
    return Ui::tr(utf8.constData());
}

QMenu* AddLanguageMenu(QMenu* viewMenu)
{
    QMenu* menu = viewMenu->addMenu(Ui::tr("语言"));
    menu->setObjectName(QStringLiteral("LanguageMenu"));
    menu->menuAction()->setStatusTip(QStringLiteral("Language"));
    auto* group = new QActionGroup(menu);
    const auto add = [&](const QString& text, Language language, const char* name) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setData(static_cast<int>(language));
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu, [language] {
            if (SwitchLanguage(language)) StoreLanguage(language);
        });
    };
    add(QStringLiteral("中文"), Language::kChinese, "LanguageChineseAction");
    add(QStringLiteral("English"), Language::kEnglish, "LanguageEnglishAction");
    const auto showChecks = [menu] {
        for (QAction* action : menu->actions()) {
            action->setChecked(action->data().toInt() == static_cast<int>(CurrentLanguage()));
        }
    };
    showChecks();
    QObject::connect(menu, &QMenu::aboutToShow, menu, showChecks);
    return menu;
}

bool HasHan(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF)) return true;
    }
    return false;
}

}  // namespace mt1d::gui
