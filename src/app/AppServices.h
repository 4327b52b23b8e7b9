#pragma once

#include "capture/PasteboardWatcher.h"
#include "history/ClipStore.h"
#include "history/TextRecognizer.h"
#include "paste/PasteService.h"
#include "platform/AppPlatform.h"

#include <QObject>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

class Defaults;
class ExclusionGuard;
class OverviewModel;
class OverviewPanelController;
class SettingsWindowController;
class TakeBackGuard;

// The application's object graph, built once in a fixed order and kept for
// the life of the process.
class AppServices : public QObject {
    Q_OBJECT

public:
    // What the services need of the desktop, supplied by the composition
    // root (a platform adapter in production, substitutes in tests).
    using Platform = AppPlatform;

    AppServices(Defaults& defaults, std::unique_ptr<ClipStore> store, Platform platform,
                QObject* parent = nullptr);
    ~AppServices() override;

    ClipStore& store() const { return *m_store; }
    PasteboardWatcher& watcher() const { return *m_watcher; }
    ExclusionGuard& exclusion() const { return *m_exclusion; }
    PasteService& pasteService() const { return *m_pasteService; }
    OverviewModel& overviewModel() const { return *m_overviewModel; }
    OverviewPanelController& overview() const { return *m_overview; }
    SettingsWindowController& settings() const { return *m_settings; }
    // Reads the text of pictures with helpers that `start` makes, so that
    // search finds what they show.
    void recogniseTextWith(TextRecognizer::Start start);

    // Opens the application's menu at the pointer; set by whoever owns it.
    std::function<void()> showMenu;

    // Re-reads what is pushed from the preferences: the history limit and
    // the appearance.
    void preferencesChanged();

    // The environment variable that marks a run under a test host; it stops
    // capturing.
    static constexpr const char* testHostVariable = "XCTestConfigurationFilePath";

Q_SIGNALS:
    // The history could not be written; said once per kind of failure (the
    // history file, a picture), also on standard error.
    void writeFailed(const QString& message);

private:
    void createPasteService(Platform& platform);
    void createSettings(Platform& platform);
    void createOverview(Platform& platform);
    void capture(const ClipContent& content, const std::optional<QString>& bundleID);
    bool looksLikeSecret(const ClipContent& content) const;
    void reportWriteFailure(ClipStore::WriteFailure failure);

    Defaults& m_defaults;
    std::unique_ptr<ClipStore> m_store;
    std::unique_ptr<TakeBackGuard> m_takeBack;
    std::shared_ptr<PasteboardReading> m_pasteboard;
    PasteboardWatcher* m_watcher = nullptr;
    std::unique_ptr<PasteService> m_pasteService;
    ExclusionGuard* m_exclusion = nullptr;
    OverviewModel* m_overviewModel = nullptr;
    OverviewPanelController* m_overview = nullptr;
    SettingsWindowController* m_settings = nullptr;
    TextRecognizer* m_recognizer = nullptr;
    std::function<void()> m_applyAppearance;
    QSet<ClipStore::WriteFailure> m_reportedFailures;
};
