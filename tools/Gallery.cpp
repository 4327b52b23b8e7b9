// Renders the overlay's cards and previews of every kind, the whole overlay
// over a busy desktop, the settings
// window's panes, the shortcut box, the About box and the first-run
// wizard's pages, in the light and the dark
// appearance, into PNG files, so people can look at them without a
// desktop. Prints the folder.

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/ShortcutDescription.h"
#include "KeyboardShortcuts/widgets/Recorder.h"
#include "OverlayGallery.h"
#include "app/AboutBox.h"
#include "app/Translations.h"
#include "capture/ClipClassification.h"
#include "capture/HtmlToRtf.h"
#include "capture/RtfReader.h"
#include "history/ClipStore.h"
#include "onboarding/AccessibilityPermission.h"
#include "onboarding/widgets/OnboardingWizardView.h"
#include "overview/widgets/ClipCardView.h"
#include "overview/widgets/ClipPreviewView.h"
#include "overview/widgets/FileThumbnailView.h"
#include "platform/wayland/WaylandPlatform.h"
#include "platform/xdg/DesktopEntries.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "settings/ApplicationChooser.h"
#include "settings/SettingsWindowController.h"
#include "style/Appearance.h"
#include "style/Symbols.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

struct Sample {
    Sample(QString name, ClipItem item, bool selected = false,
           std::optional<qint64> number = std::nullopt)
        : name(std::move(name)), item(std::move(item)), selected(selected), number(number) {}
    QString name;
    ClipItem item;
    bool selected;
    std::optional<qint64> number;
};

QByteArray picture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(0x3b, 0x82, 0xf6));
    sky.setColorAt(1, QColor(0xf9, 0xa8, 0xd4));
    painter.fillRect(image.rect(), sky);
    painter.setBrush(QColor(0xfd, 0xe6, 0x8a));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(size.width() * 3 / 4, size.height() / 3), size.height() / 6,
                        size.height() / 6);
    painter.end();
    return encodedPng(image).value_or(QByteArray());
}

QList<Sample> samples(const QString& folder) {
    const double now = double(QDateTime::currentSecsSinceEpoch());
    const auto item = [now](ClipContent content, double ageSeconds, bool pinned = false) {
        return ClipItem{QUuid::createUuid(), now - ageSeconds, u"org.example.Editor"_s,
                        std::move(content), pinned};
    };
    const QString photo = folder + "/Holiday.png"_L1;
    QImage::fromData(picture({1600, 1000})).save(photo);
    QList<QUrl> six;
    for (const char* name :
         {"Report.pdf", "Budget.ods", "Notes.txt", "Logo.svg", "Song.ogg", "Archive.zip"})
        six.append(QUrl::fromLocalFile(folder + u'/' + QLatin1StringView(name)));
    const QString longText = u"Velloq keeps what you copy. "_s.repeated(80);
    const QByteArray richText =
        R"({\rtf1\ansi\ansicpg1252{\fonttbl\f0\fswiss Helvetica;})"
        R"({\colortbl;\red0\green0\blue0;\red200\green40\blue40;\red255\green230\blue120;})"
        R"(\pard\qc\f0\b\fs40\cf1 Quarterly notes\b0\fs24\par)"
        R"(\pard\ql The \b draft\b0  is \i nearly\i0  done: {\cf2 two figures} are missing )"
        R"(and {\highlight3 the summary} needs a \ul second\ulnone  look. {\strike Friday}\par)"
        R"(\tab Caf\'e9 at 9:30 \endash  bring the slides.\par})"_ba;
    // A selection copied in a browser, as it offers it.
    const QByteArray webPage =
        *HtmlToRtf::read(
             R"(<meta charset='utf-8'><h2 style="color: rgb(32, 33, 36);">Getting started</h2>)"
             R"(<p style="color: rgb(32, 33, 36);">Velloq keeps <b>everything you copy</b> and shows it )"
             R"(as <i>large cards</i>. Read the <a href="https://example.org/guide">guide</a>.</p>)"
             R"(<ul><li>Press <b>Shift-Super-V</b></li><li>Pick a card</li></ul>)")
             ->rtf;
    const QString webPagePlain =
        u"Getting started\nVelloq keeps everything you copy and shows it "
        u"as large cards. Read the guide.\nPress Shift-Super-V\nPick a card"_s;
    return {
        {u"text"_s, item(TextContent{u"Meet at the café at 9:30, bring the slides."_s}, 20)},
        {u"long-text"_s, item(TextContent{longText}, 300)},
        {u"rich-text"_s, item(RichTextContent{richText, *RtfReader::plainText(richText)}, 4000)},
        {u"web-page"_s, item(RichTextContent{webPage, webPagePlain}, 600)},
        {u"image"_s, item(ImageContent{picture({1920, 1080})}, 90000)},
        {u"one-file"_s, item(FilesContent{{QUrl::fromLocalFile(photo)}}, 700000)},
        {u"two-files"_s, item(FilesContent{six.mid(0, 2)}, 3000000)},
        {u"six-files"_s, item(FilesContent{six}, 40000000)},
        {u"link"_s,
         item(LinkContent{QUrl(u"https://www.example.com/articles/clipboard-history"_s)}, 50)},
        {u"link-without-host"_s, item(LinkContent{QUrl(u"mailto:ann@example.com"_s)}, 50)},
        {u"pinned"_s, item(TextContent{u"A pinned note"_s}, 100000, true)},
        {u"selected-with-badge"_s, item(TextContent{u"Selected, number 3"_s}, 5), true, 3},
        {u"unselected-without-badge"_s, item(TextContent{u"No badge"_s}, 5)},
    };
}

QIcon editorIcon() {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x34, 0xc7, 0x59));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(2, 2, 44, 44), 10, 10);
    return QIcon(pixmap);
}

// Lets worker threads deliver thumbnails before a picture is taken.
void settle() {
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
}

void render(const Sample& sample, const QString& path, const QPalette& palette) {
    ClipCardView card;
    card.setPalette(palette);
    card.applicationIcon = [](const QString&) { return editorIcon(); };
    card.setItem(sample.item);
    card.setSelected(sample.selected);
    card.setNumber(sample.number);
    card.resize(440, 320);
    settle();
    QImage image(card.size() * card.devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(card.devicePixelRatioF());
    image.fill(palette.color(QPalette::Window).darker(115));
    card.render(&image, {}, {}, QWidget::DrawChildren);
    image.save(path + "-card.png"_L1);

    ClipPreviewView preview;
    preview.setPalette(palette);
    preview.applicationIcon = [](const QString&) { return editorIcon(); };
    preview.applicationName = [](const QString&) { return u"Text Editor"_s; };
    preview.setItem(sample.item);
    preview.resize(1000, 680);
    settle();
    QImage large(preview.size() * preview.devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    large.setDevicePixelRatio(preview.devicePixelRatioF());
    large.fill(palette.color(QPalette::Window).darker(115));
    preview.render(&large, {}, {}, QWidget::DrawChildren);
    large.save(path + "-preview.png"_L1);
}

// One card of each kind on the whole overlay.
const QStringList overlaySamples{u"text"_s,      u"image"_s, u"web-page"_s,
                                 u"six-files"_s, u"link"_s,  u"rich-text"_s};

// Without a display there is no keyboard layout to name the keys: V is
// enough for the shortcut shown.
std::optional<QString> galleryKeyCharacter(qint64 keyCode) {
    return keyCode == KeyboardShortcuts::Keys::v.rawValue ? std::optional(u"v"_s) : std::nullopt;
}

KeyboardShortcuts::Shortcut shiftSuperV() {
    using namespace KeyboardShortcuts;
    return Shortcut::fromStored(Keys::v.rawValue, CarbonModifier::shift | CarbonModifier::command);
}

// At the screen's pixel ratio: 2 with --scale 2.
void save(QWidget& widget, const QString& path, const QPalette& palette) {
    settle();
    const qreal ratio = widget.devicePixelRatioF();
    QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(palette.color(QPalette::Window));
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    image.save(path);
}

// Velloq run from a build folder, which KWin lets type into no window.
const QString galleryBuildFolderProgram = u"/home/you/velloq/build/src/app/velloq"_s;

// The three panes, the Permissions pane also before access is given.
void renderSettings(const QString& prefix, const QPalette& palette) {
    QTemporaryDir home;
    Defaults defaults(home.filePath(u"settings.json"_s));
    Preferences::registerPreferenceDefaults(defaults);
    KeyboardShortcuts::setDefaults(&defaults);
    KeyboardShortcuts::setKeyToCharacter(galleryKeyCharacter);
    KeyboardShortcuts::setShortcut(shiftSuperV(), Preferences::showClipboardShortcut());
    ClipStore store(home.filePath(u"history"_s));
    // Allowed, not allowed yet, and not possible on this desktop.
    const std::tuple<bool, QString, QString> states[] = {
        {true, QString(), QString()},
        {false, QString(), u"-not-allowed"_s},
        {false, WaylandPlatform::typingUnavailableReason(), u"-unavailable"_s},
        {false, WaylandPlatform::plasmaTypingUnavailableReason(galleryBuildFolderProgram),
         u"-unavailable-plasma"_s}};
    for (const auto& [allowed, reason, suffix] : states) {
        SettingsWindowController settings(
            defaults, store,
            {nullptr, [allowed] { return allowed; }, [] {},
             AutostartEntry(home.filePath(u"autostart"_s), u"/usr/bin/velloq"_s), reason});
        settings.show();
        for (int tab = 0; tab < SettingsWindowController::tabTitles().size(); ++tab) {
            if (!allowed && tab != 1)
                continue;
            settings.selectTab(tab);
            // English file names in every language.
            const QString name = QStringList{u"general"_s, u"permissions"_s, u"clipboard"_s}[tab];
            save(*settings.window(), prefix + u"-settings-"_s + name + suffix + u".png"_s, palette);
        }
    }
    KeyboardShortcuts::setDefaults(nullptr);
    KeyboardShortcuts::setKeyToCharacter({});
}

// The chooser of "Add App…", over a few installed applications.
void renderChooser(const QString& prefix, const QPalette& palette) {
    QTemporaryDir home;
    const QString folder = home.filePath(u"applications"_s);
    QDir().mkpath(folder);
    for (const char* name : {"Firefox", "KeePassXC", "Text Editor", "Terminal", "Files"}) {
        QFile entry(folder + u'/' + QString::fromLatin1(name).remove(u' ') + u".desktop"_s);
        if (entry.open(QIODevice::WriteOnly))
            entry.write("[Desktop Entry]\nType=Application\nName=" + QByteArray(name) + "\n");
    }
    DesktopEntries entries({folder});
    ApplicationChooser chooser(entries.applications(), [](const QString&) {
        return QIcon(Symbols::pixmap(u"doc"_s, 24, Qt::gray));
    });
    chooser.show();
    save(chooser, prefix + u"-settings-add-app.png"_s, palette);
}

// The shortcut box empty, recording, and showing a shortcut.
void renderRecorders(const QString& prefix, const QPalette& palette) {
    using namespace KeyboardShortcuts;
    const std::pair<const char*, std::optional<Shortcut>> states[] = {
        {"empty", std::nullopt}, {"recording", std::nullopt}, {"set", shiftSuperV()}};
    setKeyToCharacter(galleryKeyCharacter);
    for (const auto& [state, shortcut] : states) {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* recorder = new RecorderCocoa(shortcut);
        layout->addWidget(recorder);
        window.resize(220, 52);
        window.show();
        // Focused by the window's opening, which starts nothing; a click does.
        if (QLatin1StringView(state) == "recording"_L1) {
            settle();
            recorder->clearFocus();
            recorder->setFocus(Qt::MouseFocusReason);
        }
        save(window, prefix + u"-recorder-"_s + QLatin1StringView(state) + u".png"_s, palette);
    }
    setKeyToCharacter({});
}

// The first-run wizard's pages, the permission page in its three states.
void renderOnboarding(const QString& prefix, const QPalette& palette) {
    QTemporaryDir home;
    Defaults defaults(home.filePath(u"settings.json"_s));
    KeyboardShortcuts::setDefaults(&defaults);
    KeyboardShortcuts::setKeyToCharacter(galleryKeyCharacter);
    KeyboardShortcuts::setShortcut(shiftSuperV(), Preferences::showClipboardShortcut());
    using Step = OnboardingCoordinator::Step;
    const std::tuple<const char*, Step, bool> pages[] = {
        {"welcome", Step::welcome, true},
        {"accessibility", Step::accessibility, false},
        {"accessibility-unavailable", Step::accessibility, false},
        {"accessibility-unavailable-plasma", Step::accessibility, false},
        {"accessibility-granted", Step::accessibility, true},
        {"shortcut", Step::shortcut, true},
        {"ready", Step::ready, true}};
    for (const auto& [name, step, granted] : pages) {
        AccessibilityPermission permission([granted] { return granted; });
        OnboardingCoordinator coordinator(permission, {});
        if (QLatin1StringView(name).endsWith("unavailable"_L1))
            coordinator.pastingUnavailableReason = WaylandPlatform::typingUnavailableReason();
        if (QLatin1StringView(name).endsWith("plasma"_L1))
            coordinator.pastingUnavailableReason =
                WaylandPlatform::plasmaTypingUnavailableReason(galleryBuildFolderProgram);
        coordinator.setStep(step);
        OnboardingWizardView wizard(coordinator);
        wizard.show();
        save(wizard, prefix + u"-onboarding-"_s + QLatin1StringView(name) + u".png"_s, palette);
    }
    KeyboardShortcuts::setDefaults(nullptr);
    KeyboardShortcuts::setKeyToCharacter({});
}

// The settings window and the About box opened in the light, then switched
// to dark and back while open: they must look as if opened in that look.
void renderLiveSwitch(const QString& folder, Appearance& appearance) {
    appearance.apply(AppAppearance::light);
    QTemporaryDir home;
    Defaults defaults(home.filePath(u"settings.json"_s));
    Preferences::registerPreferenceDefaults(defaults);
    KeyboardShortcuts::setDefaults(&defaults);
    ClipStore store(home.filePath(u"history"_s));
    SettingsWindowController settings(
        defaults, store,
        {nullptr, [] { return true; }, [] {},
         AutostartEntry(home.filePath(u"autostart"_s), u"/usr/bin/velloq"_s), QString()});
    settings.show();
    AboutBox about;
    about.show();
    settle();
    for (const auto& [name, look] : {std::pair("switched-dark", AppAppearance::dark),
                                     std::pair("switched-light", AppAppearance::light)}) {
        appearance.apply(look);
        const QPalette palette = QApplication::palette();
        const QString prefix = folder + u'/' + QLatin1StringView(name);
        for (const int tab : {0, 2}) {
            settings.selectTab(tab);
            save(*settings.window(),
                 prefix + (tab == 0 ? u"-settings-general.png"_s : u"-settings-clipboard.png"_s),
                 palette);
        }
        save(about, prefix + u"-about.png"_s, palette);
    }
    KeyboardShortcuts::setDefaults(nullptr);
}

} // namespace

int main(int argc, char* argv[]) {
    // --scale N renders as on a screen at N times the pixel density.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const qsizetype scaleOption = arguments.indexOf(u"--scale"_s);
    if (scaleOption >= 0 && scaleOption + 1 < arguments.size()) {
        qputenv("QT_SCALE_FACTOR", arguments[scaleOption + 1].toLocal8Bit());
        arguments.remove(scaleOption, 2);
    }
    QApplication app(argc, argv);
    // LANGUAGE=de renders the German texts.
    Translations::install(app);
    const QString folder =
        !arguments.isEmpty() ? arguments.first() : QDir::tempPath() + "/velloq-gallery"_L1;
    QDir().mkpath(folder);
    Appearance appearance;
    const std::pair<const char*, QPalette> looks[] = {{"light", Appearance::lightPalette()},
                                                      {"dark", Appearance::darkPalette()}};
    const QList<Sample> all = samples(folder);
    for (const auto& [name, palette] : looks) {
        QApplication::setPalette(palette);
        const QString prefix = folder + u'/' + QLatin1StringView(name);
        QList<ClipItem> onOverlay;
        for (const Sample& sample : all) {
            render(sample, prefix + u'-' + sample.name, palette);
            if (overlaySamples.contains(sample.name))
                onOverlay.append(sample.item);
        }
        renderOverlays(prefix, onOverlay, editorIcon());
        renderSettings(prefix, palette);
        renderChooser(prefix, palette);
        AboutBox about;
        about.show();
        save(about, prefix + u"-about.png"_s, palette);
        renderRecorders(prefix, palette);
        renderOnboarding(prefix, palette);
    }
    renderLiveSwitch(folder, appearance);
    QTextStream(stdout) << folder << '\n';
    return 0;
}
