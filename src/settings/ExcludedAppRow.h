#pragma once

#include <QIcon>
#include <QWidget>

#include <functional>

// One application whose copies are not kept: its icon and name when it is
// installed, else its id in a fixed-width font, and a button that removes
// it from the list.
class ExcludedAppRow : public QWidget {
    Q_OBJECT

public:
    ExcludedAppRow(const QString& bundleID, const QIcon& icon, const QString& name,
                   std::function<void()> onRemove, QWidget* parent = nullptr);

    const QString& bundleID() const { return m_bundleID; }

private:
    QString m_bundleID;
};
