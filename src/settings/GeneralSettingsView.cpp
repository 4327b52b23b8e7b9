#include "GeneralSettingsView.h"

#include "FormSection.h"
#include "KeyboardShortcuts/widgets/Recorder.h"
#include "SegmentedControl.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

QString GeneralSettingsView::gridSixTitle() {
    return tr("6 — larger (3×2)");
}

QString GeneralSettingsView::gridNineTitle() {
    return tr("9 — more (3×3)");
}

namespace {

QString appearanceTitle(AppAppearance appearance) {
    switch (appearance) {
    case AppAppearance::light:
        return QCoreApplication::translate("GeneralSettingsView", "Light");
    case AppAppearance::dark:
        return QCoreApplication::translate("GeneralSettingsView", "Dark");
    case AppAppearance::automatic:
        break;
    }
    return QCoreApplication::translate("GeneralSettingsView", "Automatic");
}

} // namespace

GeneralSettingsView::GeneralSettingsView(Defaults& defaults, AutostartEntry loginItem,
                                         QWidget* parent)
    : QWidget(parent), m_defaults(defaults), m_loginItem(std::move(loginItem)),
      m_gridSize(new QButtonGroup(this)), m_appearance(new SegmentedControl),
      m_keyHints(new QCheckBox), m_launchAtLogin(new QCheckBox) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(16);

    auto* shortcut = new FormSection(tr("Shortcut"));
    shortcut->addRow(new KeyboardShortcuts::Recorder(tr("Show clipboard:"),
                                                     Preferences::showClipboardShortcut()));
    layout->addWidget(shortcut);

    auto* overview = new FormSection(tr("Overview"));
    auto* choices = new QWidget;
    auto* choiceLayout = new QVBoxLayout(choices);
    choiceLayout->setContentsMargins(0, 0, 0, 0);
    choiceLayout->setSpacing(4);
    for (const auto& [title, size] :
         {std::pair(gridSixTitle(), 6), std::pair(gridNineTitle(), 9)}) {
        auto* choice = new QRadioButton(title);
        m_gridSize->addButton(choice, size);
        choiceLayout->addWidget(choice);
    }
    overview->addRow(tr("Cards on screen"), choices);
    for (const AppAppearance appearance : allAppearances())
        m_appearance->addSegment(appearanceTitle(appearance), appearanceName(appearance));
    overview->addRow(tr("Appearance"), m_appearance);
    overview->addRow(tr("Show keyboard hints"), m_keyHints);
    layout->addWidget(overview);

    auto* login = new FormSection;
    login->addRow(tr("Launch at login"), m_launchAtLogin);
    layout->addWidget(login);
    layout->addStretch(1);

    connect(m_gridSize, &QButtonGroup::idClicked, this,
            [this](int size) { m_defaults.set(Preferences::gridSizeKey, size); });
    connect(m_appearance, &SegmentedControl::chosen, this, [this](const QVariant& value) {
        m_defaults.set(Preferences::appearanceKey, value.toString());
    });
    connect(m_keyHints, &QCheckBox::toggled, this,
            [this](bool on) { m_defaults.set(Preferences::showKeyHintsKey, on); });
    connect(m_launchAtLogin, &QCheckBox::toggled, this, &GeneralSettingsView::setLaunchAtLogin);
    connect(&m_defaults, &Defaults::changed, this, &GeneralSettingsView::showPreferences);
    showPreferences();
    const QSignalBlocker quiet(m_launchAtLogin);
    m_launchAtLogin->setChecked(launchesAtLogin());
}

void GeneralSettingsView::showPreferences() {
    const QSignalBlocker quietGrid(m_gridSize);
    const QSignalBlocker quietHints(m_keyHints);
    if (QAbstractButton* size = m_gridSize->button(Preferences::currentGridSize(m_defaults)))
        size->setChecked(true);
    m_appearance->setValue(appearanceName(currentAppearance(m_defaults)));
    m_keyHints->setChecked(Preferences::showsKeyHints(m_defaults));
}

bool GeneralSettingsView::launchesAtLogin() const {
    const AutostartEntry::Status status = m_loginItem.status();
    return status == AutostartEntry::Status::enabled ||
           status == AutostartEntry::Status::requiresApproval;
}

// The entry's state read back decides the box: a failed change springs
// back.
void GeneralSettingsView::setLaunchAtLogin(bool on) {
    const AutostartEntry::Status status = m_loginItem.status();
    if (on && status != AutostartEntry::Status::enabled)
        m_loginItem.registerEntry();
    else if (!on && status != AutostartEntry::Status::notRegistered)
        m_loginItem.unregisterEntry();
    const QSignalBlocker quiet(m_launchAtLogin);
    m_launchAtLogin->setChecked(launchesAtLogin());
}
