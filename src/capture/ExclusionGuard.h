#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// Refuses captures from excluded applications (password managers), and any
// capture within one second of leaving one: the watcher attributes a copy to
// whoever is in front when it notices it, up to one poll later, by which
// time the user may have switched away.
class ExclusionGuard : public QObject {
    Q_OBJECT

public:
    using IsExcludedFunction = std::function<bool(const std::optional<QString>&)>;
    using NowFunction = std::function<QDateTime()>;

    static constexpr double gracePeriodSeconds = 1.0;

    ExclusionGuard(IsExcludedFunction isExcluded, NowFunction now,
                   std::optional<QString> frontmostBundleID, QObject* parent = nullptr);

    // One application activation, with the newly active application's id.
    void activated(const std::optional<QString>& bundleID);

    bool shouldSkip(const std::optional<QString>& bundleID) const;

    std::optional<QDateTime> lastExcludedLeftAt() const { return m_lastExcludedLeftAt; }
    std::optional<QString> previousBundleID() const { return m_previousBundleID; }

private:
    std::optional<QDateTime> m_lastExcludedLeftAt;
    std::optional<QString> m_previousBundleID;
    IsExcludedFunction m_isExcluded;
    NowFunction m_now;
};
