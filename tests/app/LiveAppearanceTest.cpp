#include "app/AboutBox.h"
#include "history/ClipStore.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "settings/SettingsWindowController.h"
#include "style/Appearance.h"
#include "style/IconView.h"
#include "style/Mnemonics.h"
#include "style/TextStyles.h"
#include "support/TemporaryHistory.h"

#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// The mean colour of a picture's opaque pixels: the colour a symbol is in.
QColor inkOf(const QImage& picture) {
    double red = 0, green = 0, blue = 0;
    int count = 0;
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 250)
                continue;
            red += pixel.redF(), green += pixel.greenF(), blue += pixel.blueF();
            ++count;
        }
    }
    return count ? QColor::fromRgbF(red / count, green / count, blue / count) : QColor();
}

bool near(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) <= 12;
}

QLabel* labelSaying(QWidget& root, const QString& text) {
    for (QLabel* label : root.findChildren<QLabel*>()) {
        if (label->text() == text)
            return label;
    }
    return nullptr;
}

} // namespace

// A switch of appearance with the windows open reaches everything they draw
// from the palette: secondary texts and symbols take the new colours, and
// icons are drawn for the pixel density they are shown at.
class LiveAppearanceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openWindowsFollowASwitch();
    void iconsAreDrawnForTheScreensDensity();
    void altLettersShowWhileAltIsHeld();
};

void LiveAppearanceTest::openWindowsFollowASwitch() {
    QTemporaryDir home;
    Defaults defaults(home.filePath(u"settings.json"_s));
    Preferences::registerPreferenceDefaults(defaults);
    TemporaryHistory history;
    ClipStore store(history.path());
    SettingsWindowController settings(
        defaults, store,
        {nullptr, {}, {}, AutostartEntry(home.filePath(u"autostart"_s), u"velloq"_s), {}});
    Appearance appearance;
    appearance.apply(AppAppearance::light);
    settings.show();
    AboutBox about;
    about.show();
    QWidget& window = *settings.window();
    QLabel* note = labelSaying(window, u"Pinned items are always kept."_s);
    QLabel* version = labelSaying(about, AboutBox::versionText());
    QList<QToolButton*> tabs = window.findChildren<QToolButton*>();
    tabs.removeIf([](const QToolButton* button) {
        return !SettingsWindowController::tabTitles().contains(Mnemonics::plain(button->text()));
    });
    QVERIFY(note && version);
    QCOMPARE(tabs.size(), 3);

    for (const AppAppearance scheme :
         {AppAppearance::light, AppAppearance::dark, AppAppearance::light}) {
        appearance.apply(scheme);
        // Qt hands the new palette to widgets through the event loop.
        QCoreApplication::processEvents();
        const QPalette palette = QApplication::palette();
        const QColor secondary = secondaryTextColour(palette);
        QCOMPARE(note->palette().color(QPalette::WindowText), secondary);
        QCOMPARE(version->palette().color(QPalette::WindowText), secondary);
        // The rest of the label's palette is the new one too.
        QCOMPARE(note->palette().color(QPalette::Window), palette.color(QPalette::Window));
        for (const QToolButton* tab : tabs) {
            const QColor ink = inkOf(tab->icon().pixmap(QSize(22, 22)).toImage());
            QVERIFY2(near(ink, palette.color(QPalette::WindowText)),
                     qPrintable(tab->text() + u": "_s + ink.name()));
        }
    }
}

void LiveAppearanceTest::iconsAreDrawnForTheScreensDensity() {
    AboutBox about;
    const IconView* icon = about.findChild<IconView*>();
    QVERIFY(icon);
    const int side = icon->width();
    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap drawn = icon->icon().pixmap(QSize(side, side), ratio);
        QCOMPARE(drawn.width(), qRound(side * ratio));
        QCOMPARE(drawn.devicePixelRatio(), ratio);
    }
}

void LiveAppearanceTest::altLettersShowWhileAltIsHeld() {
    Appearance appearance;
    AboutBox about;
    about.show();
    const auto underlined = [&about] {
        return about.style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, &about) != 0;
    };
    QVERIFY(!underlined());
    QTest::keyPress(&about, Qt::Key_Alt, Qt::AltModifier);
    QVERIFY(underlined());
    QTest::keyRelease(&about, Qt::Key_Alt);
    QVERIFY(!underlined());
}

QTEST_MAIN(LiveAppearanceTest)
#include "LiveAppearanceTest.moc"
