#include "SegmentedControl.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>

using namespace Qt::StringLiterals;

SegmentedControl::SegmentedControl(QWidget* parent)
    : QWidget(parent), m_group(new QButtonGroup(this)), m_layout(new QHBoxLayout(this)) {
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_group->setExclusive(true);
    connect(m_group, &QButtonGroup::buttonClicked, this,
            [this](QAbstractButton* button) { Q_EMIT chosen(button->property("value")); });
}

void SegmentedControl::addSegment(const QString& title, const QVariant& value) {
    auto* button = new QToolButton;
    button->setText(title);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setProperty("value", value);
    m_group->addButton(button);
    m_layout->addWidget(button);
    restyle();
}

QVariant SegmentedControl::value() const {
    const QAbstractButton* checked = m_group->checkedButton();
    return checked ? checked->property("value") : QVariant();
}

void SegmentedControl::setValue(const QVariant& value) {
    for (QAbstractButton* button : m_group->buttons()) {
        if (button->property("value") == value)
            button->setChecked(true);
    }
}

// Joined: only the outer corners are round.
void SegmentedControl::restyle() {
    const QList<QAbstractButton*> buttons = m_group->buttons();
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QString corners;
        if (i == 0)
            corners += u"border-top-left-radius: 6px; border-bottom-left-radius: 6px;"_s;
        if (i == buttons.size() - 1)
            corners += u"border-top-right-radius: 6px; border-bottom-right-radius: 6px;"_s;
        if (i > 0)
            corners += u"border-left: none;"_s;
        buttons[i]->setStyleSheet(
            u"QToolButton { border: 1px solid palette(mid); background: palette(button);"
            " padding: 3px 14px; %1 }"
            "QToolButton:checked { background: palette(highlight);"
            " color: palette(highlighted-text); }"
            "QToolButton:focus { border: 1px solid palette(highlight); }"_s.arg(corners));
    }
}
