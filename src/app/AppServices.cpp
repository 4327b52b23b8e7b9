#include "AppServices.h"

#include "HeapTrimmer.h"
#include "KeyboardShortcuts/Library.h"
#include "capture/ExclusionGuard.h"
#include "capture/SecretShapes.h"
#include "history/ClipStore.h"
#include "history/TakeBackGuard.h"
#include "overview/DragItem.h"
#include "overview/OverviewModel.h"
#include "overview/OverviewPanelController.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "settings/SettingsWindowController.h"

#include <QDateTime>
#include <QPointer>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

qint64 megabytes(qint64 bytes) {
    return (bytes + 1024 * 1024 - 1) / (1024 * 1024);
}

} // namespace

AppServices::AppServices(Defaults& defaults, std::unique_ptr<ClipStore> store, Platform platform,
                         QObject* parent)
    : QObject(parent), m_defaults(defaults), m_store(std::move(store)),
      m_applyAppearance(platform.applyAppearance) {
    KeyboardShortcuts::setDefaults(&m_defaults);
    // Creating the name stores its default in these preferences if they
    // hold nothing for it yet.
    const KeyboardShortcuts::Name& showClipboard = Preferences::showClipboardShortcut();
    KeyboardShortcuts::Name(showClipboard.rawValue(), showClipboard.initialShortcut());
    Preferences::registerGridSizeDefault(m_defaults);
    Preferences::registerPreferenceDefaults(m_defaults);
    m_store->setLimit(Preferences::currentHistoryLimit(m_defaults));
    m_store->onWriteFailure = [this](ClipStore::WriteFailure failure) {
        reportWriteFailure(failure);
    };
    m_takeBack = std::make_unique<TakeBackGuard>(
        *m_store, [] { return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0; });

    const std::optional<QString> frontmost = platform.frontmostBundleID();
    m_pasteboard = platform.pasteboard;
    m_pasteboard->setMaximumBytes(Preferences::maximumClipBytes(m_defaults));
    m_watcher = new PasteboardWatcher(platform.pasteboard, platform.frontmostBundleID,
                                      platform.frontmostPID, 0.5, this);
    createPasteService(platform);
    createSettings(platform);
    createOverview(platform);
    m_exclusion = new ExclusionGuard(
        [this](const std::optional<QString>& id) {
            return Preferences::isExcluded(m_defaults, id);
        },
        [] { return QDateTime::currentDateTimeUtc(); }, frontmost, this);
    if (platform.observeActivations) {
        platform.observeActivations([guard = QPointer(m_exclusion), watcher = QPointer(m_watcher)](
                                        const std::optional<QString>& id) {
            if (guard)
                guard->activated(id);
            // The paste target when Velloq's own window is in front.
            if (watcher)
                watcher->noteFrontmost();
        });
    }
    m_watcher->onCapture = [this](const ClipContent& content,
                                  const std::optional<QString>& bundleID) {
        capture(content, bundleID);
    };
    m_watcher->onEmptied = [this] { m_takeBack->emptied(); };
    connect(&m_defaults, &Defaults::changed, this, &AppServices::preferencesChanged);
    if (qEnvironmentVariableIsSet(testHostVariable))
        return;
    m_watcher->start();
    // The overlay opens when the shortcut is let go: while its keys are
    // down the overlay could not take the keyboard anyway.
    KeyboardShortcuts::onKeyUp(Preferences::showClipboardShortcut(),
                               [overview = QPointer(m_overview)] {
                                   if (overview)
                                       overview->toggle();
                               });
}

void AppServices::createPasteService(Platform& platform) {
    const QPointer watcher(m_watcher);
    // The frontmost application, unless that is Velloq itself: then the last
    // other application the watcher saw in front.
    auto targetPID = [watcher, frontmost = platform.frontmostPID]() -> std::optional<qint32> {
        if (auto pid = frontmost())
            return pid;
        return watcher ? watcher->lastOtherPID() : std::nullopt;
    };
    // What the user picks is no longer a copy a password tool may take back.
    auto write = [this, write = platform.write](const ClipContent& content) {
        m_takeBack->picked(content);
        write(content);
    };
    m_pasteService = std::make_unique<PasteService>(PasteService::Platform{
        write, [pasteboard = platform.pasteboard] { return pasteboard->changeCount(); },
        platform.hasAccess, platform.requestAccess, targetPID, platform.sendCommandV});
    m_pasteService->onPasteboardWritten = [watcher](qint64 count) {
        if (watcher)
            watcher->setLastChangeCount(count);
    };
}

void AppServices::createSettings(Platform& platform) {
    SettingsWindowController::Services services{platform.desktopEntries, platform.hasAccess,
                                                platform.requestAccess, AutostartEntry(),
                                                platform.pastingUnavailableReason};
    m_settings = new SettingsWindowController(m_defaults, *m_store, std::move(services), this);
}

void AppServices::createOverview(Platform& platform) {
    m_overviewModel = new OverviewModel(*m_store, Preferences::currentGridSize(m_defaults), this);
    m_overview = new OverviewPanelController(*m_overviewModel, *m_pasteService, this);
    m_overview->gridSizePreference = [this] { return Preferences::currentGridSize(m_defaults); };
    m_overview->screenFrameUnderPointer = platform.screenFrameUnderPointer;
    if (auto make = platform.makeOverviewPanel) {
        m_overview->makePanel = [this, make] { return make(*m_overviewModel, *m_overview); };
    }
    // Each change may have freed megabytes (a large copy pushed out), and so
    // has the overlay going out of sight (its window buffers).
    auto* trimmer = new HeapTrimmer(this);
    connect(m_overviewModel, &OverviewModel::storeVersionChanged, trimmer, &HeapTrimmer::trimSoon);
    // Pictures dragged out leave files; they go with their entries, and
    // those of an earlier run at once.
    removeDragImagesNotIn({});
    connect(m_overviewModel, &OverviewModel::storeVersionChanged, this,
            [this] { removeDragImagesNotIn(m_store->items()); });
    connect(m_overview, &OverviewPanelController::panelHidden, trimmer, &HeapTrimmer::trimSoon);
    // The overlay's settings button: the overlay fades while the window
    // comes up.
    m_overviewModel->onOpenSettings = [overview = QPointer(m_overview),
                                       settings = QPointer(m_settings)] {
        if (overview)
            overview->hide(OverviewPanelController::fadeOutMilliseconds);
        if (settings)
            settings->show();
    };
}

AppServices::~AppServices() {
    // The last changes are written while whoever reports a failure is there.
    m_store->flush();
    // The windows go before the model they show, all before the store.
    delete m_settings;
    delete m_overview;
    delete m_overviewModel;
}

void AppServices::capture(const ClipContent& content, const std::optional<QString>& bundleID) {
    if (m_exclusion->shouldSkip(bundleID))
        return;
    if (looksLikeSecret(content)) {
        m_overviewModel->showToastAtNextOpening(OverviewModel::secretNotKeptToast());
        return;
    }
    const qint64 size = byteSize(content);
    const qint64 maximum = Preferences::maximumClipBytes(m_defaults);
    if (size > maximum) {
        QTextStream(stderr) << "velloq: a copy of " << megabytes(size)
                            << " MB was not kept: larger than the limit of " << megabytes(maximum)
                            << " MB (\"maximumClipMegabytes\" in settings.json)\n";
        return;
    }
    m_takeBack->add(content, bundleID);
}

// Only the text a user could have typed into a password field: rich text by
// its plain form, never file lists or links.
bool AppServices::looksLikeSecret(const ClipContent& content) const {
    if (!Preferences::skipsSecretShapes(m_defaults))
        return false;
    if (const auto* text = std::get_if<TextContent>(&content))
        return SecretShapes::matchedRule(text->text).has_value();
    if (const auto* rich = std::get_if<RichTextContent>(&content))
        return SecretShapes::matchedRule(rich->plain).has_value();
    return false;
}

void AppServices::recogniseTextWith(TextRecognizer::Start start) {
    m_recognizer = new TextRecognizer(std::move(start), this);
    const auto recogniseAll = [this] {
        QStringList pictures;
        for (const ClipItem& item : m_store->items()) {
            if (const auto* image = std::get_if<ImageContent>(&item.content))
                pictures.append(image->filePath());
        }
        m_recognizer->recognise(pictures);
    };
    connect(m_overviewModel, &OverviewModel::storeVersionChanged, m_recognizer, recogniseAll);
    connect(m_recognizer, &TextRecognizer::recognised, m_overviewModel,
            &OverviewModel::pictureTextArrived);
    recogniseAll();
}

void AppServices::reportWriteFailure(ClipStore::WriteFailure failure) {
    if (m_reportedFailures.contains(failure))
        return;
    m_reportedFailures.insert(failure);
    const QString message =
        (failure == ClipStore::WriteFailure::history
             ? tr("Velloq could not save the history file in %1 (a full disk, or a read-only "
                  "folder?). New copies stay in memory and are saved again at the next change.")
             : tr("Velloq could not save a copied picture in %1 (a full disk, or a read-only "
                  "folder?). New copies stay in memory and are saved again at the next change."))
            .arg(m_store->directory());
    QTextStream(stderr) << "velloq: " << message << '\n';
    Q_EMIT writeFailed(message);
}

void AppServices::preferencesChanged() {
    const int limit = Preferences::currentHistoryLimit(m_defaults);
    if (limit != m_store->limit())
        m_store->setLimit(limit);
    // Copies over the size limit are not even read.
    m_pasteboard->setMaximumBytes(Preferences::maximumClipBytes(m_defaults));
    if (m_applyAppearance)
        m_applyAppearance();
}
