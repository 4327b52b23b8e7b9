#include "FormSection.h"

#include "style/TextStyles.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int cardRadius = 8;
constexpr int rowMargin = 10;

QColor mixed(const QColor& a, const QColor& b, qreal amount) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * amount,
                            a.greenF() + (b.greenF() - a.greenF()) * amount,
                            a.blueF() + (b.blueF() - a.blueF()) * amount);
}

} // namespace

// The card the rows sit on; it draws the lines between them.
class FormSection::Card : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor window = palette().color(QPalette::Window);
        const QColor text = palette().color(QPalette::WindowText);
        // Light: a white card. Dark: a card a shade lighter than the window,
        // so fields, boxes and buttons (darker still) stand out on it.
        const bool dark = window.lightnessF() < 0.5;
        const QColor base = dark ? mixed(window, text, 0.07) : palette().color(QPalette::Base);
        QPainterPath card;
        card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cardRadius, cardRadius);
        painter.fillPath(card, base);
        painter.setPen(QPen(mixed(base, text, 0.14), 1));
        painter.drawPath(card);
        painter.setPen(QPen(mixed(base, text, 0.09), 1));
        const auto* rows = static_cast<QVBoxLayout*>(layout());
        for (int i = 1; i < rows->count(); ++i) {
            const QWidget* row = rows->itemAt(i)->widget();
            if (!row || !row->isVisible() || row->property("note").toBool())
                continue;
            const qreal y = row->geometry().top() - 0.5;
            painter.drawLine(QPointF(rowMargin, y), QPointF(width() - rowMargin, y));
        }
    }
};

// A row's title: a click on it works the control it names, as a click on a
// check box's own text would.
class FormSection::RowTitle : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        QWidget* control = buddy();
        if (event->button() != Qt::LeftButton || !control || !rect().contains(event->pos()))
            return;
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (button && button->isCheckable() && button->isEnabled())
            button->click();
        control->setFocus(Qt::MouseFocusReason);
    }
};

FormSection::FormSection(const QString& header, QWidget* parent)
    : QWidget(parent), m_card(new Card), m_rows(new QVBoxLayout(m_card)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    if (!header.isEmpty()) {
        auto* title = new QLabel(header);
        title->setFont(styledFont(TextStyle::headline));
        title->setContentsMargins(4, 0, 0, 0);
        layout->addWidget(title);
    }
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    layout->addWidget(m_card);
}

QWidget* FormSection::addRow(const QString& title, QWidget* control) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(rowMargin + 2, 7, rowMargin, 7);
    auto* label = new RowTitle(title);
    label->setBuddy(control);
    layout->addWidget(label, 0, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addStretch(1);
    layout->addWidget(control, 0, Qt::AlignRight | Qt::AlignVCenter);
    if (control->accessibleName().isEmpty())
        control->setAccessibleName(title);
    m_rows->addWidget(row);
    return row;
}

QWidget* FormSection::addRow(QWidget* row) {
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(rowMargin + 2, 7, rowMargin, 7);
    layout->addWidget(row);
    m_rows->addWidget(holder);
    return holder;
}

QLabel* FormSection::addNote(const QString& text) {
    auto* note = new QLabel(text);
    note->setFont(styledFont(TextStyle::caption));
    note->setWordWrap(true);
    useSecondaryText(*note);
    note->setContentsMargins(rowMargin + 2, 0, rowMargin, 8);
    note->setProperty("note", true);
    m_rows->addWidget(note);
    return note;
}
