#pragma once

#include <QIcon>
#include <QStringList>
#include <QWidget>

#include <functional>

class ClipStoring;
class Defaults;
class FormSection;
class QCheckBox;
class QComboBox;
class QVBoxLayout;

// The Clipboard pane: how many entries the history keeps, the applications
// whose copies are never kept, and clearing the whole history.
class ClipboardSettingsView : public QWidget {
    Q_OBJECT

public:
    static QString clearQuestion();

    // An installed application's icon and name by id; a null icon and an
    // empty name when none is installed.
    struct ApplicationLookup {
        std::function<QIcon(const QString&)> icon;
        std::function<QString(const QString&)> name;
    };

    ClipboardSettingsView(Defaults& defaults, ClipStoring& store, ApplicationLookup applications,
                          QWidget* parent = nullptr);

    // Asks which applications to add (their ids; none when cancelled) and
    // whether to clear the history; dialogs, replaced in tests.
    std::function<QStringList()> chooseApplications;
    std::function<bool()> confirmClear;

    const QStringList& excluded() const { return m_excluded; }
    void removeExcluded(const QString& bundleID);
    void addApplications();
    void clearHistory();

private:
    void showPreferences();
    void showExcluded();
    void storeExcluded();

    Defaults& m_defaults;
    ClipStoring& m_store;
    ApplicationLookup m_applications;
    QStringList m_excluded;
    QComboBox* m_historyLimit;
    QCheckBox* m_skipSecrets;
    QWidget* m_excludedRows;
    QVBoxLayout* m_excludedLayout;
};
