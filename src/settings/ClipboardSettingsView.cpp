#include "ClipboardSettingsView.h"

#include "ExcludedAppRow.h"
#include "FormSection.h"
#include "history/ClipStoring.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

QString ClipboardSettingsView::clearQuestion() {
    return tr("Clear all clipboard history, including pinned items?");
}

ClipboardSettingsView::ClipboardSettingsView(Defaults& defaults, ClipStoring& store,
                                             ApplicationLookup applications, QWidget* parent)
    : QWidget(parent), m_defaults(defaults), m_store(store),
      m_applications(std::move(applications)), m_excluded(Preferences::excludedBundleIDs(defaults)),
      m_historyLimit(new QComboBox), m_skipSecrets(new QCheckBox), m_excludedRows(new QWidget),
      m_excludedLayout(new QVBoxLayout(m_excludedRows)) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(16);

    auto* history = new FormSection(tr("History"));
    for (const int limit : Preferences::historyLimitOptions)
        m_historyLimit->addItem(tr("%n items", nullptr, limit), limit);
    history->addRow(tr("Keep last"), m_historyLimit);
    history->addNote(tr("Pinned items are always kept."));
    layout->addWidget(history);

    auto* excludedSection = new FormSection(tr("Don't save copies from"));
    excludedSection->addRow(tr("Skip copies that look like secrets"), m_skipSecrets);
    m_excludedLayout->setContentsMargins(0, 0, 6, 0);
    m_excludedLayout->setSpacing(6);
    m_excludedLayout->setAlignment(Qt::AlignTop);
    // A long list scrolls inside its card.
    auto* scroll = new QScrollArea;
    scroll->setWidget(m_excludedRows);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->viewport()->setAutoFillBackground(false);
    m_excludedRows->setAutoFillBackground(false);
    excludedSection->addRow(scroll);
    auto* add = new QPushButton(tr("Add App…"));
    excludedSection->addRow(add)->layout()->setAlignment(add, Qt::AlignLeft);
    layout->addWidget(excludedSection, 1);

    auto* clearing = new FormSection;
    auto* clear = new QPushButton(tr("Clear History…"));
    QPalette destructive = clear->palette();
    destructive.setColor(QPalette::ButtonText, QColor(0xd7, 0x37, 0x2f));
    clear->setPalette(destructive);
    clearing->addRow(clear)->layout()->setAlignment(clear, Qt::AlignLeft);
    layout->addWidget(clearing);
    layout->addStretch(0);

    chooseApplications = [] { return QStringList(); };
    confirmClear = [this] {
        QMessageBox box(QMessageBox::Warning, window()->windowTitle(), clearQuestion(),
                        QMessageBox::NoButton, window());
        box.setWindowModality(Qt::WindowModal);
        QPushButton* yes = box.addButton(tr("Clear History"), QMessageBox::DestructiveRole);
        QPushButton* no = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    };
    connect(m_historyLimit, &QComboBox::activated, this, [this](int index) {
        m_defaults.set(Preferences::historyLimitKey, m_historyLimit->itemData(index).toInt());
    });
    connect(m_skipSecrets, &QCheckBox::toggled, this,
            [this](bool on) { m_defaults.set(Preferences::skipSecretShapesKey, on); });
    connect(add, &QPushButton::clicked, this, &ClipboardSettingsView::addApplications);
    connect(clear, &QPushButton::clicked, this, &ClipboardSettingsView::clearHistory);
    connect(&m_defaults, &Defaults::changed, this, &ClipboardSettingsView::showPreferences);
    showPreferences();
    showExcluded();
}

void ClipboardSettingsView::showPreferences() {
    const int index = m_historyLimit->findData(Preferences::currentHistoryLimit(m_defaults));
    if (index >= 0)
        m_historyLimit->setCurrentIndex(index);
    const QSignalBlocker quiet(m_skipSecrets);
    m_skipSecrets->setChecked(Preferences::skipsSecretShapes(m_defaults));
}

void ClipboardSettingsView::showExcluded() {
    while (QLayoutItem* old = m_excludedLayout->takeAt(0)) {
        delete old->widget();
        delete old;
    }
    for (const QString& id : std::as_const(m_excluded)) {
        const QIcon icon = m_applications.icon ? m_applications.icon(id) : QIcon();
        const QString name = m_applications.name ? m_applications.name(id) : QString();
        m_excludedLayout->addWidget(
            new ExcludedAppRow(id, icon, name, [this, id] { removeExcluded(id); }));
    }
}

void ClipboardSettingsView::storeExcluded() {
    m_defaults.set(Preferences::excludedBundleIDsKey, QJsonArray::fromStringList(m_excluded));
}

void ClipboardSettingsView::removeExcluded(const QString& bundleID) {
    m_excluded.removeAll(bundleID);
    storeExcluded();
    // The row asking for this goes with the others: rebuilt once it returned.
    QMetaObject::invokeMethod(this, &ClipboardSettingsView::showExcluded, Qt::QueuedConnection);
}

void ClipboardSettingsView::addApplications() {
    const QStringList chosen = chooseApplications();
    if (chosen.isEmpty())
        return;
    for (const QString& id : chosen) {
        if (!m_excluded.contains(id))
            m_excluded.append(id);
    }
    storeExcluded();
    showExcluded();
}

void ClipboardSettingsView::clearHistory() {
    if (confirmClear())
        m_store.clearAll();
}
