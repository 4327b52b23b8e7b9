#pragma once

#include "platform/xdg/DesktopEntries.h"

#include <QDialog>

class QLineEdit;
class QListWidget;

// Picks installed applications: their icons and names, a search box, and
// several at once. The answer is their application ids, in list order.
class ApplicationChooser : public QDialog {
    Q_OBJECT

public:
    ApplicationChooser(const QList<DesktopEntries::Entry>& applications,
                       const std::function<QIcon(const QString&)>& iconOf,
                       QWidget* parent = nullptr);

    QStringList chosenIds() const;
    // Shows only the applications whose name or id contains the text.
    void filter(const QString& text);

private:
    QLineEdit* m_search;
    QListWidget* m_list;
};
