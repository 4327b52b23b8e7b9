#include "SettingsWindowController.h"

#include "ApplicationChooser.h"
#include "GeneralSettingsView.h"
#include "PermissionsSettingsView.h"
#include "platform/xdg/DesktopEntries.h"
#include "style/Mnemonics.h"
#include "style/Symbols.h"
#include "style/WindowKeys.h"
#include "style/WindowPlacement.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

QStringList SettingsWindowController::tabTitles() {
    return {tr("General"), tr("Permissions"), tr("Clipboard")};
}

namespace {

const QStringList tabSymbols = {u"gearshape"_s, u"lock"_s, u"list.clipboard"_s};
constexpr int tabIconSide = 22;
constexpr qreal tabRadius = 7;

// A tab of the window. The chosen one is shaded and the one the keyboard is
// on outlined, painted from the palette of the moment (a style sheet would
// keep the colours of the palette it was set under).
class TabButton : public QToolButton {
public:
    QSize sizeHint() const override { return QToolButton::sizeHint() + QSize(20, 8); }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight), 1) : Qt::NoPen);
        painter.setBrush(isChecked() ? palette().brush(QPalette::Midlight) : Qt::NoBrush);
        painter.drawRoundedRect(frame, tabRadius, tabRadius);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        option.state &= ~(QStyle::State_On | QStyle::State_Sunken | QStyle::State_HasFocus);
        painter.drawControl(QStyle::CE_ToolButtonLabel, option);
    }
};

} // namespace

SettingsWindowController::SettingsWindowController(Defaults& defaults, ClipStoring& store,
                                                   Services services, QObject* parent)
    : QObject(parent), m_defaults(defaults), m_store(store), m_services(std::move(services)) {}

SettingsWindowController::~SettingsWindowController() {
    delete m_window;
}

void SettingsWindowController::show() {
    if (!m_window)
        build();
    centreOnScreenOfPointer(*m_window);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void SettingsWindowController::build() {
    m_window = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowCloseButtonHint);
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    // Made first, so Tab goes through the tabs before the pane's controls
    // and the window opens with a tab, not the shortcut box, in focus.
    QWidget* tabs = tabBar();
    m_panes = new QStackedWidget;
    m_panes->setFixedSize(paneWidth, paneHeight);

    m_panes->addWidget(new GeneralSettingsView(m_defaults, m_services.loginItem));
    m_panes->addWidget(new PermissionsSettingsView(
        m_services.isPastingAllowed, m_services.allowPasting, m_services.pastingUnavailableReason));
    const std::shared_ptr<DesktopEntries> entries = m_services.applications;
    ClipboardSettingsView::ApplicationLookup lookup;
    if (entries) {
        lookup.icon = [entries](const QString& id) { return entries->applicationIcon(id); };
        lookup.name = [entries](const QString& id) { return entries->applicationName(id); };
    }
    m_clipboard = new ClipboardSettingsView(m_defaults, m_store, lookup);
    m_clipboard->chooseApplications = [this, entries, lookup] {
        ApplicationChooser chooser(entries ? entries->applications()
                                           : QList<DesktopEntries::Entry>(),
                                   lookup.icon, m_window);
        return chooser.exec() == QDialog::Accepted ? chooser.chosenIds() : QStringList();
    };
    m_panes->addWidget(m_clipboard);

    auto* layout = new QVBoxLayout(m_window);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(tabs);
    layout->addWidget(m_panes);
    m_window->setFixedSize(m_window->sizeHint());
    selectTab(0);
    Mnemonics::assign(*m_window);
    WindowKeys::closeOnEscape(*m_window);
    WindowKeys::switchTabs(*m_window, [this](int step) {
        const int count = int(tabTitles().size());
        selectTab((m_panes->currentIndex() + step + count) % count);
    });
}

QWidget* SettingsWindowController::tabBar() {
    auto* bar = new QWidget;
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addStretch(1);
    m_tabs = new QButtonGroup(bar);
    const QStringList titles = tabTitles();
    for (int i = 0; i < titles.size(); ++i) {
        auto* tab = new TabButton;
        tab->setText(titles[i]);
        tab->setIcon(Symbols::icon(tabSymbols[i]));
        tab->setIconSize(QSize(tabIconSide, tabIconSide));
        tab->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        tab->setCheckable(true);
        tab->setAutoRaise(true);
        tab->setFocusPolicy(Qt::StrongFocus);
        tab->setMinimumWidth(84);
        tab->setAccessibleName(titles[i]);
        m_tabs->addButton(tab, i);
        layout->addWidget(tab);
    }
    layout->addStretch(1);
    connect(m_tabs, &QButtonGroup::idClicked, this, &SettingsWindowController::selectTab);
    return bar;
}

void SettingsWindowController::selectTab(int index) {
    const QStringList titles = tabTitles();
    if (!m_window || index < 0 || index >= titles.size())
        return;
    m_panes->setCurrentIndex(index);
    m_tabs->button(index)->setChecked(true);
    m_window->setWindowTitle(titles[index]);
}
