#include "ExclusionGuard.h"

ExclusionGuard::ExclusionGuard(IsExcludedFunction isExcluded, NowFunction now,
                               std::optional<QString> frontmostBundleID, QObject* parent)
    : QObject(parent), m_previousBundleID(std::move(frontmostBundleID)),
      m_isExcluded(std::move(isExcluded)), m_now(std::move(now)) {}

void ExclusionGuard::activated(const std::optional<QString>& bundleID) {
    if (m_isExcluded(m_previousBundleID))
        m_lastExcludedLeftAt = m_now();
    m_previousBundleID = bundleID;
}

bool ExclusionGuard::shouldSkip(const std::optional<QString>& bundleID) const {
    if (m_isExcluded(bundleID))
        return true;
    if (!m_lastExcludedLeftAt)
        return false;
    // A clock set back gives a negative difference, which also skips.
    const double elapsed = double(m_lastExcludedLeftAt->msecsTo(m_now())) / 1000.0;
    return elapsed < gracePeriodSeconds;
}
