// Every window in both languages: each visible text of each widget (labels, buttons, group
// boxes, tabs, menus and their entries, combo box items, table headers, window titles, plot
// axes, legend names and plot titles) is gathered and checked.
//   English: no Han character anywhere (but the 中文 entry of the language menu).
//   Chinese: no text that is the English of one of the translations, and after going to English
//            and back every text is what it was (the classic window's texts are its contract).
//   Both:    a window built in one language and switched to the other shows the texts of the
//            window built in the other; single-line labels and buttons fit their width.

#include "gui/classic/AboutBox.h"
#include "gui/classic/BoundsDialog.h"
#include "gui/classic/MainWindow.h"
#include "gui/common/Language.h"
#include "gui/field/FieldWorkspace.h"
#include "gui/field/SoundingWindow.h"
#include "gui/field/UncertaintyView.h"
#include "gui/survey/SectionWindow.h"
#include "tests/support/SharedData.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <qcustomplot.h>

#include <functional>
#include <memory>

namespace mt1d::test {

namespace {

using gui::Language;

struct Shown {
    QString where;  // object path and slot, for the failure message
    QString text;
};

QString PathOf(const QObject* o)
{
    QStringList names;
    for (; o != nullptr; o = o->parent()) {
        names.prepend(o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className()) : o->objectName());
    }
    return names.join(QLatin1Char('/'));
}

// Every text a user can see in `root` and its children, in a stable order.
QList<Shown> TextsOf(QWidget* root)
{
    QList<Shown> shown;
    const auto add = [&](const QObject* o, const char* slot, const QString& text) {
        if (o->property("mt1dSameInEveryLanguage").toBool()) return;  // English by design (classic About)
        if (!text.trimmed().isEmpty()) shown.append({PathOf(o) + QLatin1Char(':') + QLatin1String(slot), text});
    };
    QList<QWidget*> widgets{root};
    widgets += root->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (w->isWindow()) add(w, "windowTitle", w->windowTitle());
        if (auto* label = qobject_cast<QLabel*>(w)) add(w, "text", label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w)) add(w, "text", button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w)) add(w, "title", group->title());
        if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) add(w, "tab", tabs->tabText(i));
        }
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i) add(w, "item", combo->itemText(i));
        }
        if (auto* table = qobject_cast<QTableView*>(w); table && table->model()) {
            for (int c = 0; c < table->model()->columnCount(); ++c) {
                add(w, "header", table->model()->headerData(c, Qt::Horizontal).toString());
            }
        }
        if (auto* plot = qobject_cast<QCustomPlot*>(w)) {
            for (QCPAxisRect* rect : plot->axisRects()) {
                for (QCPAxis* axis : rect->axes()) add(w, "axis", axis->label());
            }
            for (int i = 0; i < plot->plottableCount(); ++i) add(w, "legend", plot->plottable(i)->name());
            for (int i = 0; i < plot->itemCount(); ++i) {
                if (auto* item = qobject_cast<QCPItemText*>(plot->item(i))) add(w, "item", item->text());
            }
            for (QCPLayoutElement* element : plot->plotLayout()->elements(true)) {
                if (auto* title = qobject_cast<QCPTextElement*>(element)) add(w, "title", title->text());
            }
        }
    }
    QList<QAction*> actions = root->findChildren<QAction*>();
    for (QAction* action : actions) add(action, "action", action->text());
    return shown;
}

// Each English translation (of the texts without placeholders) from the translation file.
QSet<QString> EnglishTexts()
{
    QSet<QString> english;
    QFile file(QStringLiteral(MT1D_SOURCE_DIR "/gui/translations/mt1d_en.ts"));
    if (!file.open(QIODevice::ReadOnly)) return english;
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("source")) source = xml.readElementText();
        if (xml.name() == QLatin1String("translation")) {
            const QString text = xml.readElementText();
            if (!text.isEmpty() && text != source && !text.contains(QLatin1Char('%'))) english.insert(text);
        }
    }
    return english;
}

bool Allowed(const Shown& s)
{
    return s.where.endsWith(QLatin1String("LanguageChineseAction:action"));  // 中文 in both languages
}

// Single-line labels and buttons whose text is wider than the widget, among the visible ones.
QStringList Overflowing(QWidget* root)
{
    QStringList wide;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(root) || w->width() <= 0) continue;
        QString text;
        int room = 0;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->wordWrap() || label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text())) continue;
            text = label->text();
            room = label->contentsRect().width();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
            room = button->width();
            if (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w)) {
                room -= w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w)
                        + w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
            }
        } else {
            continue;
        }
        text.remove(QLatin1Char('&'));
        if (text.isEmpty() || text.contains(QLatin1Char('\n'))) continue;
        const int needed = w->fontMetrics().horizontalAdvance(text);
        if (needed > room) wide << QStringLiteral("%1 \"%2\" needs %3 px, has %4").arg(PathOf(w), text).arg(needed).arg(room);
    }
    return wide;
}

// The windows of the program, built in the language of the moment and shown at their default size.
struct Windows {
    std::unique_ptr<TForm1> classic;
    std::unique_ptr<TUDPForm> bounds;
    std::unique_ptr<gui::field::FieldWorkspace> workspace;
    gui::field::SoundingWindow* sounding = nullptr;  // owned by the workspace
    std::unique_ptr<gui::survey::SectionWindow> section;

    QList<QWidget*> All() const
    {
        QList<QWidget*> all{classic.get(), classic->About, bounds.get(), section.get()};
        if (sounding) all << sounding;
        return all;
    }
};

section::Section HandMadeSection()
{
    section::Section s;
    s.byOrder = true;
    s.grid = {1000.0, 20};
    s.colours = {0.0, 3.0};
    for (int i = 0; i < 3; ++i) {
        section::SectionSite site;
        site.name = "S" + std::to_string(i + 1);
        site.sourceFile = site.name + ".edi";  // not there: the phase tensor tab says so in a note
        site.distanceKm = i;
        site.leftKm = i - 0.5;
        site.rightKm = i + 0.5;
        site.depthOfInvestigationM = 600.0;
        site.log10Rho.assign(20, 1.0 + i);
        s.sites.push_back(site);
    }
    return s;
}

}  // namespace

class LanguageWalkTest : public QObject {
    Q_OBJECT

    QString sounding_;  // IAJ34.edi, empty when the real files are absent

    // Builds every window; the sounding window's sounding is fitted both ways and sampled.
    std::unique_ptr<Windows> Build()
    {
        auto w = std::make_unique<Windows>();
        w->classic = std::make_unique<TForm1>();
        w->classic->show();
        w->classic->About->show();
        w->bounds = std::make_unique<TUDPForm>(w->classic.get());
        w->bounds->show();
        w->workspace = std::make_unique<gui::field::FieldWorkspace>();
        w->workspace->seams.message = [](QWidget*, const QString& title, const QString& text) {
            qWarning("message: %s: %s", qPrintable(title), qPrintable(text));
        };
        if (!sounding_.isEmpty()) {
            const auto opened = w->workspace->OpenFiles({sounding_}, {}, nullptr);
            if (!opened.isEmpty()) w->sounding = opened.first();
        }
        if (w->sounding) {
            w->sounding->show();
            for (const auto method : {fitting::Method::kOccam, fitting::Method::kLayered}) {
                QSignalSpy done(w->sounding, &gui::field::SoundingWindow::fitFinished);
                w->sounding->RunFit(method);
                if (!done.wait(120000)) qWarning("fit did not finish");
            }
            gui::field::UncertaintyView* view = w->sounding->Uncertainty;
            view->SamplesBox->setValue(view->SamplesBox->minimum());
            view->ChainsBox->setValue(2);
            QSignalSpy sampled(view, &gui::field::UncertaintyView::runFinished);
            if (view->Run() && !sampled.wait(120000)) qWarning("sampling did not finish");
        }
        w->section = std::make_unique<gui::survey::SectionWindow>(HandMadeSection(), "/nonexistent/survey",
                                                                   w->workspace.get());
        w->section->show();
        for (QWidget* window : w->All()) {
            if (!QTest::qWaitForWindowExposed(window)) qWarning("%s not exposed", qPrintable(PathOf(window)));
        }
        return w;
    }

    // The texts of every window, each tab of the tab widgets shown in turn (so that the texts
    // of hidden tabs are laid out and measured too).
    QList<Shown> Walk(const Windows& w, QStringList* overflowing)
    {
        QList<Shown> all;
        for (QWidget* window : w.All()) {
            const QList<QTabWidget*> tabWidgets = window->findChildren<QTabWidget*>();
            for (QTabWidget* tabs : tabWidgets) {
                for (int i = 0; i < tabs->count(); ++i) {
                    tabs->setCurrentIndex(i);
                    QCoreApplication::processEvents();
                    if (overflowing) *overflowing += Overflowing(window);
                }
                tabs->setCurrentIndex(0);
            }
            if (tabWidgets.isEmpty() && overflowing) *overflowing += Overflowing(window);
            all += TextsOf(window);
        }
        if (overflowing) overflowing->removeDuplicates();
        return all;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (const auto data = testing_support::SharedDataDir()) {
            sounding_ = QString::fromStdString((*data / "edi" / "IAJ34.edi").string());
        } else {
            qWarning("%s: the sounding window is left out", testing_support::kNoSharedData);
        }
    }

    void cleanup() { gui::SwitchLanguage(Language::kChinese); }

    // In English no Han character is left in any window; every label and button fits.
    void englishWindowsShowNoChinese()
    {
        QVERIFY(gui::SwitchLanguage(Language::kEnglish));
        const auto w = Build();
        if (!sounding_.isEmpty()) {
            QVERIFY(w->sounding != nullptr);
            QVERIFY2(w->sounding->FitLabel->text().startsWith(QLatin1String("Layered inversion: RMS")),
                     qPrintable(w->sounding->FitLabel->text()));
        }
        QStringList overflowing;
        QStringList chinese;
        for (const Shown& s : Walk(*w, &overflowing)) {
            if (gui::HasHan(s.text) && !Allowed(s)) chinese << s.where + QStringLiteral(" = ") + s.text;
        }
        QVERIFY2(chinese.isEmpty(), qPrintable(chinese.join(QLatin1Char('\n'))));
        QVERIFY2(overflowing.isEmpty(), qPrintable(overflowing.join(QLatin1Char('\n'))));
    }

    // In Chinese no English translation is shown, and everything fits.
    void chineseWindowsShowNoEnglishTranslation()
    {
        QVERIFY(gui::SwitchLanguage(Language::kChinese));
        const QSet<QString> english = EnglishTexts();
        QVERIFY(english.size() > 100);
        const auto w = Build();
        QStringList overflowing;
        QStringList untranslated;
        for (const Shown& s : Walk(*w, &overflowing)) {
            if (english.contains(s.text)) untranslated << s.where + QStringLiteral(" = ") + s.text;
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('\n'))));
        QVERIFY2(overflowing.isEmpty(), qPrintable(overflowing.join(QLatin1Char('\n'))));
    }

    // Switching at once: Chinese → English → Chinese gives back every text, and the windows then
    // show what windows built in English (or Chinese) show.
    void switchingRetranslatesEveryOpenWindow()
    {
        QVERIFY(gui::SwitchLanguage(Language::kEnglish));
        QList<Shown> builtInEnglish;
        {
            const auto w = Build();
            builtInEnglish = Walk(*w, nullptr);
            QVERIFY(gui::SwitchLanguage(Language::kChinese));
        }
        QVERIFY(gui::SwitchLanguage(Language::kChinese));
        const auto w = Build();
        const QList<Shown> chinese = Walk(*w, nullptr);
        QVERIFY(gui::SwitchLanguage(Language::kEnglish));
        const QList<Shown> switchedToEnglish = Walk(*w, nullptr);
        QVERIFY(gui::SwitchLanguage(Language::kChinese));
        const QList<Shown> back = Walk(*w, nullptr);

        const auto differences = [](const QList<Shown>& a, const QList<Shown>& b) {
            QStringList d;
            QHash<QString, QStringList> byPlace;
            for (const Shown& s : b) byPlace[s.where] << s.text;
            for (const Shown& s : a) {
                if (!byPlace.value(s.where).contains(s.text)) d << s.where + QStringLiteral(" = ") + s.text;
            }
            return d;
        };
        // Timings (ms, s) differ between runs; they are in texts that are formed anew anyway.
        const auto timed = [](const QString& text) {
            return text.contains(QLatin1String(" ms")) || text.contains(QLatin1String(" s;"))
                   || text.contains(QLatin1String(" s；")) || text.contains(QLatin1String("用时"));
        };
        const auto withoutTimings = [&](QList<Shown> list) {
            list.removeIf([&](const Shown& s) { return timed(s.text); });
            return list;
        };
        const QStringList notBack = differences(withoutTimings(chinese), back);
        QVERIFY2(notBack.isEmpty(), qPrintable(notBack.join(QLatin1Char('\n'))));
        const QStringList notAsBuilt = differences(withoutTimings(switchedToEnglish), builtInEnglish);
        QVERIFY2(notAsBuilt.isEmpty(), qPrintable(notAsBuilt.join(QLatin1Char('\n'))));
    }

    // The language menu switches, marks the language shown, and is remembered.
    void languageMenuSwitchesAndIsRemembered()
    {
        TForm1 form;
        auto* english = form.findChild<QAction*>(QStringLiteral("LanguageEnglishAction"));
        auto* chinese = form.findChild<QAction*>(QStringLiteral("LanguageChineseAction"));
        QVERIFY(english && chinese);
        english->trigger();
        QCOMPARE(gui::CurrentLanguage(), Language::kEnglish);
        QCOMPARE(form.FileMenu->title(), QStringLiteral("File"));
        QCOMPARE(gui::LoadLanguage(Language::kChinese), Language::kEnglish);
        QMetaObject::invokeMethod(qobject_cast<QMenu*>(english->parent()), "aboutToShow");
        QVERIFY(english->isChecked() && !chinese->isChecked());
        chinese->trigger();
        QCOMPARE(form.FileMenu->title(), QStringLiteral("文件"));
        QCOMPARE(gui::LoadLanguage(Language::kEnglish), Language::kChinese);
    }
};

}  // namespace mt1d::test

// Without a display, with settings in a temporary folder so that no test reads or writes the user's.
int main(int argc, char** argv)
{
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        QFile::setPermissions(runtimeDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    }
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
            QSettings::setPath(format, scope, settingsDir.path());
        }
    }
    QLocale::setDefault(QLocale::c());
    mt1d::test::LanguageWalkTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "LanguageWalkTest.moc"
