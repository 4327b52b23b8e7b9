#include "PermissionsSettingsView.h"

#include "FormSection.h"
#include "style/IconView.h"
#include "style/StatusColours.h"
#include "style/Symbols.h"
#include "style/TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

QString PermissionsSettingsView::grantedText() {
    return tr("Click to paste is on: clicking a card pastes it where you were typing.");
}

QString PermissionsSettingsView::notGrantedText() {
    return tr(
        "Needed to paste a card with a click. Without it, the card is only copied and you press "
        "⌃V yourself.");
}

namespace {

constexpr int permissionIconSide = 28;

} // namespace

PermissionsSettingsView::PermissionsSettingsView(std::function<bool()> isGranted,
                                                 std::function<void()> openSettings,
                                                 QString unavailableReason, QWidget* parent)
    : QWidget(parent), m_isGranted(std::move(isGranted)),
      m_unavailableReason(std::move(unavailableReason)), m_icon(new IconView(permissionIconSide)),
      m_text(new QLabel), m_open(new QPushButton(tr("Open System Settings"))) {
    auto* row = new QWidget;
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 4, 0, 4);
    rowLayout->setSpacing(12);
    rowLayout->addWidget(m_icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    auto* title = new QLabel(tr("Accessibility"));
    title->setFont(styledFont(TextStyle::headline));
    texts->addWidget(title);
    m_text->setWordWrap(true);
    useSecondaryText(*m_text);
    texts->addWidget(m_text);
    rowLayout->addLayout(texts, 1);
    rowLayout->addWidget(m_open, 0, Qt::AlignVCenter);
    connect(m_open, &QPushButton::clicked, this, [openSettings = std::move(openSettings)] {
        if (openSettings)
            openSettings();
    });

    auto* section = new FormSection;
    section->addRow(row);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(section);
    layout->addStretch(1);

    connect(&m_timer, &QTimer::timeout, this, &PermissionsSettingsView::refresh);
    m_granted = !(m_isGranted && m_isGranted()); // so the first refresh draws
    refresh();
}

void PermissionsSettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
    m_timer.start(refreshMilliseconds);
}

void PermissionsSettingsView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

void PermissionsSettingsView::refresh() {
    const bool granted = m_isGranted && m_isGranted();
    if (granted == m_granted)
        return;
    m_granted = granted;
    const QColor colour = granted ? StatusColours::green : StatusColours::orange;
    m_icon->setIcon(Symbols::icon(
        granted ? u"checkmark.circle.fill"_s : u"exclamationmark.triangle.fill"_s, colour));
    m_icon->setAccessibleName(granted ? tr("Allowed") : tr("Not allowed"));
    if (granted)
        m_text->setText(grantedText());
    else if (!m_unavailableReason.isEmpty())
        m_text->setText(m_unavailableReason);
    else
        m_text->setText(notGrantedText());
    m_open->setVisible(!granted && m_unavailableReason.isEmpty());
}
