#include "AppDelegate.h"

#include "AboutBox.h"
#include "CommandRouter.h"
#include "KeyboardShortcuts/KeyEvents.h"
#include "SignalQuitter.h"
#include "Translations.h"
#include "history/ClipStore.h"
#include "launch/CommandSyntax.h"
#include "overview/OverviewPanelController.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "settings/SettingsWindowController.h"
#include "style/AppIcon.h"

#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTextStream>
#include <QTimer>

#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

const QString AppDelegate::showOverviewArgument = u"-ShowOverview"_s;

namespace {

// Qt hands our clipboard content to a clipboard manager at exit and waits up
// to five seconds for it; the history is saved after every change, so a
// slow manager must not hold the exit longer than this.
void boundTheExit() {
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ::_exit(0);
    }).detach();
}

} // namespace

void AppDelegate::nameApplication() {
    QCoreApplication::setApplicationName(u"Velloq"_s);
    // Title bars, the taskbar and the window switcher show "General — Velloq".
    QGuiApplication::setApplicationDisplayName(u"Velloq"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLOQ_VERSION));
}

int AppDelegate::run(QApplication& app, AppPlatform platform, const QString& directory) {
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(AppIcon::icon());
    Translations::install(app);
    InstanceServer server;
    if (!server.listen()) {
        if (!server.errorString().isEmpty()) {
            QTextStream(stderr) << server.errorString();
            return 1;
        }
        QTextStream(stderr) << "velloq: Velloq is already running\n";
        return 0;
    }
    AppDelegate delegate(directory, std::move(platform), server);
    SignalQuitter quitter;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &boundTheExit);
    delegate.applicationDidFinishLaunching();
    QTextStream(stderr) << "Velloq is watching the clipboard; history in " << directory << '\n';
    return QApplication::exec();
}

AppDelegate::AppDelegate(const QString& historyDirectory, AppPlatform platform,
                         InstanceServer& server)
    : m_startupNotice(platform.startupNotice),
      m_pastingUnavailable(!platform.pastingUnavailableReason.isEmpty()) {
    trackMenus(platform);
    m_tray.watchOtherTray(platform.hasOtherTray, platform.observeOtherTray);
    platform.applyAppearance = [this] {
        m_appearance.apply(currentAppearance(Defaults::standard()));
    };
    m_onboarding = std::make_unique<OnboardingWindowController>(
        Defaults::standard(),
        OnboardingWindowController::Services{platform.hasAccess, platform.requestAccess,
                                             platform.pastingUnavailableReason});
    auto store = std::make_unique<ClipStore>(historyDirectory);
    // A copy is listed at once; the history file follows on its own thread.
    store->saveInBackground();
    const auto publishMenu = platform.publishMenu;
    m_services =
        std::make_unique<AppServices>(Defaults::standard(), std::move(store), std::move(platform));
    m_appearance.apply(currentAppearance(Defaults::standard()));
    followDesktopColorScheme();
    m_services->recogniseTextWith(TextRecognizer::helperProcess(
        UpdateManager::installedProgram("velloq-text-recognition"),
        TextRecognizer::languagesFor(QLocale::system().uiLanguages())));
    m_updates = std::make_unique<UpdateManager>(QApplication::applicationVersion());
    connect(m_updates.get(), &UpdateManager::canCheckChanged, this,
            [this](bool canCheck) { m_tray.setCanCheckForUpdates(canCheck); });
    connect(m_updates.get(), &UpdateManager::checkFinished, this, &AppDelegate::showUpdateResult);
    connect(m_services.get(), &AppServices::writeFailed, this,
            [this](const QString& message) { m_tray.showWarning(message); });
    fillTrayMenu();
    if (publishMenu) {
        publishMenu(m_tray.menu());
        m_menuPublished = true;
    }
    server.onRequest = [services = m_services.get()](const InstanceServer::Request& request) {
        // Qt's Wayland shell hands the token to the compositor with the next
        // window activation, which a command that shows a window makes.
        if (!request.activationToken.isEmpty())
            qputenv("XDG_ACTIVATION_TOKEN", request.activationToken.toUtf8());
        if (CommandSyntax::isApplicationLaunch(request.arguments)) {
            if (request.arguments.contains(showOverviewArgument))
                services->overview().show();
            return InstanceServer::Reply{};
        }
        return CommandRouter::runHistoryCommand(request, services);
    };
}

AppDelegate::~AppDelegate() {
    delete m_about;
    delete m_updateProgress;
}

void AppDelegate::followDesktopColorScheme() {
    connect(&m_desktopColorScheme, &DesktopColorScheme::changed, this,
            [this](std::optional<bool> prefersDark) {
                m_appearance.setDesktopPreference(prefersDark);
            });
}

void AppDelegate::fillTrayMenu() {
    AppServices* services = m_services.get();
    TrayMenu::Actions actions;
    actions.showClipboard = [services] { services->overview().show(); };
    actions.checkForUpdates = [this] { checkForUpdates(); };
    actions.showAbout = [this] { showAbout(); };
    actions.showSettings = [services] { services->settings().show(); };
    actions.showHowToUse = [this] { m_onboarding->show(OnboardingCoordinator::Step::welcome); };
    m_tray.setActions(std::move(actions));
    // Where there is no tray, `velloq menu` opens the same menu.
    services->showMenu = [this] { m_tray.popUp(); };
}

void AppDelegate::checkForUpdates() {
    if (!m_updates->canCheck())
        return;
    auto* progress = new QProgressDialog(tr("Checking for updates…"), tr("Cancel"), 0, 0);
    progress->setWindowTitle(u"Velloq"_s);
    progress->setMinimumDuration(0);
    connect(progress, &QProgressDialog::canceled, m_updates.get(), &UpdateManager::cancel);
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->show();
    m_updateProgress = progress;
    m_updates->checkForUpdates();
}

// Nothing is downloaded: the answer says what there is and where to read
// about it.
void AppDelegate::showUpdateResult(const UpdateManager::Result& result) {
    if (m_updateProgress)
        m_updateProgress->close();
    auto* box = new QMessageBox;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(u"Velloq"_s);
    box->setTextFormat(Qt::RichText);
    box->setTextInteractionFlags(Qt::TextBrowserInteraction);
    const QString current = QApplication::applicationVersion();
    using Kind = UpdateManager::Result::Kind;
    if (result.kind == Kind::upToDate) {
        box->setIcon(QMessageBox::Information);
        box->setText(tr("<b>You're up to date</b>"));
        box->setInformativeText(
            tr("Velloq %1 is the newest version.").arg(current.toHtmlEscaped()));
    } else if (result.kind == Kind::available) {
        box->setIcon(QMessageBox::Information);
        QStringList links;
        if (!result.release.notes.isEmpty())
            links.append(u"<a href=\"%1\">%2</a>"_s.arg(
                result.release.notes.toString().toHtmlEscaped(), tr("Release notes")));
        if (!result.release.download.isEmpty())
            links.append(u"<a href=\"%1\">%2</a>"_s.arg(
                result.release.download.toString().toHtmlEscaped(), tr("Download page")));
        // The links go in the main text, whose links open in the browser.
        box->setText(tr("<b>Velloq %1 is available</b><br>%2")
                         .arg(result.release.version.toHtmlEscaped(), links.join(u" · "_s)));
        box->setInformativeText(tr("You have %1. Your package manager installs the new version.")
                                    .arg(current.toHtmlEscaped()));
    } else {
        box->setIcon(QMessageBox::Warning);
        box->setText(tr("<b>Velloq could not check for updates</b>"));
        box->setInformativeText(result.problem.toHtmlEscaped());
    }
    box->show();
}

void AppDelegate::showAbout() {
    if (!m_about)
        m_about = new AboutBox;
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

// While one of our menus, or the overlay, holds the keyboard, the global
// shortcuts' grabs cannot fire; the tracker matches our own key events then.
void AppDelegate::trackMenus(AppPlatform& platform) {
    if (!platform.virtualKeyOfEvent)
        return;
    // The shortcut recorder reads key events the same way.
    KeyboardShortcuts::setVirtualKeyOfEvent(platform.virtualKeyOfEvent);
    if (platform.shortcutsFireAnywhere)
        return;
    m_menuTracker = std::make_unique<KeyboardShortcuts::MenuTracker>(platform.virtualKeyOfEvent);
    if (platform.observeOverlayKeyboard) {
        platform.observeOverlayKeyboard(
            [tracker = m_menuTracker.get()](QObject* window, bool holds) {
                tracker->setHoldsKeyboard(window, holds);
            });
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    if (!m_tray.isShown() && !m_menuPublished)
        QTextStream(stderr) << "velloq: this desktop has no system tray yet; Velloq's icon "
                               "appears when one starts. Until then 'velloq menu' opens its "
                               "menu at the pointer, and 'velloq --help' lists the other "
                               "commands that reach it.\n";
    if (!m_startupNotice.isEmpty()) {
        QTextStream(stderr) << "velloq: " << m_startupNotice << '\n';
        m_tray.showWarning(m_startupNotice);
    }
    if (QApplication::arguments().contains(showOverviewArgument)) {
        m_services->overview().show();
        return;
    }
    openOnboardingIfNeeded();
    QTimer::singleShot(0, this, [this] { prepareOverlay(); });
}

// A new user meets the wizard; so does one who has not allowed pasting
// yet, on the page that explains it, unless this desktop cannot allow it.
void AppDelegate::openOnboardingIfNeeded() {
    const std::optional<OnboardingCoordinator::Step> page = OnboardingCoordinator::pageAtLaunch(
        QApplication::arguments(), m_onboarding->permission().granted() || m_pastingUnavailable,
        Defaults::standard().boolean(Preferences::onboardingShownKey));
    if (page)
        m_onboarding->show(*page);
}

// The overlay's window, its first screen captures and its cards are slow the
// first time in a process; preparing them after start-up keeps the first
// showing quick.
void AppDelegate::prepareOverlay() {
    m_services->overview().warmUpPanel();
}
