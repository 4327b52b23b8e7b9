#include "AppServices.h"

#include "Defaults.h"
#include "Preferences.h"
#include "capture/ExclusionGuard.h"
#include "history/ClipStore.h"

#include <QDateTime>
#include <QPointer>

AppServices::AppServices(Defaults& defaults, std::unique_ptr<ClipStore> store, Platform platform,
                         QObject* parent)
    : QObject(parent), m_defaults(defaults), m_store(std::move(store)) {
    Preferences::registerGridSizeDefault(m_defaults);
    Preferences::registerPreferenceDefaults(m_defaults);
    m_store->setLimit(Preferences::currentHistoryLimit(m_defaults));

    const std::optional<QString> frontmost = platform.frontmostBundleID();
    m_watcher = new PasteboardWatcher(platform.pasteboard, platform.frontmostBundleID,
                                      platform.frontmostPID, 0.5, this);
    m_exclusion = new ExclusionGuard(
        [this](const std::optional<QString>& id) {
            return Preferences::isExcluded(m_defaults, id);
        },
        [] { return QDateTime::currentDateTimeUtc(); }, frontmost, this);
    if (platform.observeActivations) {
        platform.observeActivations(
            [guard = QPointer(m_exclusion)](const std::optional<QString>& id) {
                if (guard)
                    guard->activated(id);
            });
    }
    m_watcher->onCapture = [this](const ClipContent& content,
                                  const std::optional<QString>& bundleID) {
        capture(content, bundleID);
    };
    connect(&m_defaults, &Defaults::changed, this, &AppServices::preferencesChanged);
    if (qEnvironmentVariableIsSet(testHostVariable))
        return;
    m_watcher->start();
}

AppServices::~AppServices() = default;

void AppServices::capture(const ClipContent& content, const std::optional<QString>& bundleID) {
    if (m_exclusion->shouldSkip(bundleID))
        return;
    m_store->add(content, bundleID, double(QDateTime::currentMSecsSinceEpoch()) / 1000.0);
}

void AppServices::preferencesChanged() {
    const int limit = Preferences::currentHistoryLimit(m_defaults);
    if (limit != m_store->limit())
        m_store->setLimit(limit);
}
