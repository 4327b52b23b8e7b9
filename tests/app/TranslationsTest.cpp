#include "app/Translations.h"

#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/widgets/RecorderCocoa.h"
#include "app/AboutBox.h"
#include "app/TrayMenu.h"
#include "history/ClipStore.h"
#include "onboarding/AccessibilityPermission.h"
#include "onboarding/widgets/OnboardingWizardView.h"
#include "overview/ClipPresentation.h"
#include "overview/OverviewModel.h"
#include "overview/RelativeTime.h"
#include "overview/widgets/KeyHintBar.h"
#include "overview/widgets/OverviewTabPicker.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "settings/ApplicationChooser.h"
#include "settings/SettingsWindowController.h"
#include "style/Mnemonics.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

// Every text that went through the translation system comes back marked.
class MarkingTranslator : public QTranslator {
public:
    QString translate(const char*, const char* source, const char*, int) const override {
        return u"‹"_s + QString::fromUtf8(source) + u"›"_s;
    }
    bool isEmpty() const override { return false; }
};

bool hasWords(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// Texts a user reads that name nothing to translate: the product's name.
bool bypasses(const QString& text) {
    return hasWords(text) && !text.contains(u'‹') && text != u"Velloq"_s;
}

// The texts of a window that did not go through the translation system.
QStringList untranslatedTexts(QWidget& window) {
    QStringList found;
    const auto check = [&found](const QWidget* widget, const QString& text) {
        if (bypasses(Mnemonics::plain(text)))
            found << u"%1: \"%2\""_s.arg(QLatin1StringView(widget->metaObject()->className()),
                                         text);
    };
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (const QWidget* widget : widgets) {
        // An excluded application's row names it as it is installed.
        bool namesAnApplication = false;
        for (const QWidget* row = widget; row && !namesAnApplication; row = row->parentWidget())
            namesAnApplication = row->inherits("ExcludedAppRow");
        if (namesAnApplication)
            continue;
        if (widget->isWindow())
            check(widget, widget->windowTitle());
        check(widget, widget->toolTip());
        check(widget, widget->accessibleName());
        if (const auto* label = qobject_cast<const QLabel*>(widget))
            check(widget, label->text());
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            check(widget, button->text());
        if (const auto* box = qobject_cast<const QComboBox*>(widget)) {
            for (int i = 0; i < box->count(); ++i)
                check(widget, box->itemText(i));
        }
        // A shortcut box shows the shortcut itself, in symbols and letters.
        if (const auto* field = qobject_cast<const QLineEdit*>(widget))
            check(widget, field->placeholderText());
    }
    return found;
}

struct Messages {
    QMap<QString, QStringList> translations; // "context|source" → translation(s)
    QStringList unfinished;
};

Messages readTranslations(const QString& path) {
    Messages messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == "name"_L1) {
            context = xml.readElementText();
        } else if (xml.name() == "source"_L1) {
            source = context + u'|' + xml.readElementText();
            messages.translations[source];
        } else if (xml.name() == "translation"_L1) {
            if (xml.attributes().value("type"_L1) == "unfinished"_L1)
                messages.unfinished << source;
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (!text.isEmpty())
                messages.translations[source] << text;
        } else if (xml.name() == "numerusform"_L1) {
            messages.translations[source] << xml.readElementText();
        }
    }
    return messages;
}

} // namespace

// What a user reads goes through Qt's translation system, and the German
// translation is complete, current and chosen by $LANGUAGE.
class TranslationsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyTextGoesThroughTranslation();
    void translationFileIsCompleteAndCurrent();
    void languageChoosesGerman();
    void cleanupTestCase();

private:
    QTemporaryDir m_home;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<ClipStore> m_store;
};

void TranslationsTest::initTestCase() {
    m_defaults = std::make_unique<Defaults>(m_home.filePath(u"settings.json"_s));
    Preferences::registerPreferenceDefaults(*m_defaults);
    KeyboardShortcuts::setDefaults(m_defaults.get());
    m_store = std::make_unique<ClipStore>(m_home.filePath(u"history"_s));
}

void TranslationsTest::cleanupTestCase() {
    KeyboardShortcuts::setDefaults(nullptr);
}

void TranslationsTest::everyTextGoesThroughTranslation() {
    MarkingTranslator marking;
    QCoreApplication::installTranslator(&marking);
    QStringList found;

    TrayMenu tray;
    tray.setActions({[] {}, [] {}, [] {}, [] {}, [] {}, [] {}, {}});
    for (const QAction* action : tray.menu().actions()) {
        if (bypasses(action->text()))
            found << u"TrayMenu: \"%1\""_s.arg(action->text());
    }
    AboutBox about;
    found << untranslatedTexts(about);
    SettingsWindowController settings(*m_defaults, *m_store,
                                      {nullptr, [] { return false; }, [] {}, AutostartEntry(), {}});
    settings.show();
    for (int tab = 0; tab < 3; ++tab) {
        settings.selectTab(tab);
        found << untranslatedTexts(*settings.window());
    }
    ApplicationChooser chooser({}, {});
    found << untranslatedTexts(chooser);
    for (const bool granted : {false, true}) {
        AccessibilityPermission permission([granted] { return granted; });
        OnboardingCoordinator coordinator(permission, {});
        OnboardingWizardView wizard(coordinator);
        for (const int step : {1, 2, 3, 0}) {
            coordinator.setStep(OnboardingCoordinator::Step(step));
            found << untranslatedTexts(wizard);
        }
    }
    // Painted texts.
    QStringList painted = OverviewTabPicker::titles();
    for (const bool searching : {false, true}) {
        for (const KeyHintBar::Hint& hint : KeyHintBar::hints(6, searching))
            painted << hint.label;
    }
    painted << OverviewModel::deletedToast() << OverviewModel::movedToPinnedToast()
            << ClipPresentation::kindLabel(TextContent{u"x"_s}).title
            << ClipPresentation::moreFilesLine(5, 2)
            << RelativeTime::describe(QDateTime(QDate(2026, 1, 1), QTime(9, 0)),
                                      QDateTime(QDate(2026, 1, 1), QTime(9, 5)));
    for (const QString& text : painted) {
        if (bypasses(Mnemonics::plain(text)))
            found << u"painted: \"%1\""_s.arg(text);
    }
    QCoreApplication::removeTranslator(&marking);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
}

// Every text in the source has a finished German translation (plural forms
// included), and the file lists no text the source no longer has.
void TranslationsTest::translationFileIsCompleteAndCurrent() {
    QTemporaryDir scan;
    const QString fresh = scan.filePath(u"velloq_de.ts"_s);
    // CTest names both; see tests/CMakeLists.txt.
    const QString lupdateProgram = qEnvironmentVariable("VELLOQ_LUPDATE");
    const QString sourceDir = qEnvironmentVariable("VELLOQ_SOURCE_DIR");
    QVERIFY2(!lupdateProgram.isEmpty() && !sourceDir.isEmpty(),
             "VELLOQ_LUPDATE and VELLOQ_SOURCE_DIR are not set: run this test through ctest");
    QProcess lupdate;
    lupdate.start(lupdateProgram, {u"-silent"_s, u"-locations"_s, u"none"_s, u"-no-obsolete"_s,
                                   sourceDir + u"/src"_s, u"-ts"_s, fresh});
    QVERIFY(lupdate.waitForFinished(60000));
    QCOMPARE(lupdate.exitCode(), 0);
    const Messages inSource = readTranslations(fresh);
    const Messages committed = readTranslations(sourceDir + u"/translations/velloq_de.ts"_s);
    QVERIFY(inSource.translations.size() > 100);
    QStringList missing;
    for (const QString& source : inSource.translations.keys()) {
        if (!committed.translations.contains(source) || committed.unfinished.contains(source) ||
            committed.translations[source].isEmpty())
            missing << source;
    }
    QVERIFY2(missing.isEmpty(),
             qPrintable(u"not translated (run scripts/translations):\n"_s + missing.join(u'\n')));
    QStringList stale;
    for (const QString& source : committed.translations.keys()) {
        if (!inSource.translations.contains(source))
            stale << source;
    }
    QVERIFY2(stale.isEmpty(), qPrintable(u"no longer in the source:\n"_s + stale.join(u'\n')));
}

// Run with LANGUAGE=de, as a German desktop session sets it.
void TranslationsTest::languageChoosesGerman() {
    QVERIFY(Translations::install(*qApp));
    TrayMenu tray;
    tray.setActions({[] {}, [] {}, [] {}, [] {}, [] {}, [] {}, {}});
    QStringList entries;
    for (const QAction* action : tray.menu().actions()) {
        if (!action->isSeparator())
            entries << action->text();
    }
    QCOMPARE(entries, QStringList({u"Zwischenablage zeigen"_s, u"Nach Aktualisierungen suchen …"_s,
                                   u"Über Velloq"_s, u"Einstellungen …"_s, u"So geht’s"_s,
                                   u"Dokumentation"_s, u"Rückmeldung senden"_s,
                                   u"Mehr von Tarnbrook Software"_s, u"Velloq beenden"_s}));
    QStringList hints;
    for (const KeyHintBar::Hint& hint : KeyHintBar::hints(6, false))
        hints << hint.label;
    QVERIFY2(hints.contains(u"Auswählen"_s) && hints.contains(u"Tippen zum Suchen"_s),
             qPrintable(hints.join(u", "_s)));
    QCOMPARE(SettingsWindowController::tabTitles(),
             QStringList({u"Allgemein"_s, u"Berechtigungen"_s, u"Zwischenablage"_s}));
    SettingsWindowController settings(*m_defaults, *m_store,
                                      {nullptr, [] { return true; }, [] {}, AutostartEntry(), {}});
    settings.show();
    settings.selectTab(2);
    auto* limit = settings.window()->findChild<QComboBox*>();
    QVERIFY(limit);
    QCOMPARE(limit->itemText(limit->count() - 1), u"27 Einträge"_s);
    // Plural forms: one and many, back and ahead.
    const QDateTime now(QDate(2026, 12, 7), QTime(15, 30));
    QCOMPARE(RelativeTime::describe(now.addSecs(-60), now), u"vor 1 Minute"_s);
    QCOMPARE(RelativeTime::describe(now.addSecs(-300), now), u"vor 5 Minuten"_s);
    QCOMPARE(RelativeTime::describe(now.addDays(-3), now), u"vor 3 Tagen"_s);
    QCOMPARE(RelativeTime::describe(now.addSecs(7200), now), u"in 2 Stunden"_s);
    QCOMPARE(ClipPresentation::moreFilesLine(3, 2), u"und 1 weitere"_s);
}

QTEST_MAIN(TranslationsTest)
#include "TranslationsTest.moc"
