#include "OverviewSearchField.h"

#include "overview/OverviewKeyMap.h"
#include "overview/OverviewModel.h"
#include "style/GlassPainter.h"
#include "style/Symbols.h"
#include "style/TextStyles.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace {

constexpr int horizontalPadding = 16;
constexpr int verticalPadding = 10;
constexpr int iconSpacing = 8;

int iconSide(const QFont& font) {
    return QFontMetrics(font).height();
}

} // namespace

OverviewSearchField::OverviewSearchField(OverviewModel& model, QWidget* parent)
    : QLineEdit(parent), m_model(model) {
    setFont(styledFont(TextStyle::title3));
    setFrame(false);
    setPlaceholderText(tr("Search"));
    setAccessibleName(tr("Search"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    QPalette transparent = palette();
    transparent.setColor(QPalette::Base, Qt::transparent);
    setPalette(transparent);
    const int icon = iconSide(font());
    setTextMargins(horizontalPadding + icon + iconSpacing, verticalPadding, horizontalPadding,
                   verticalPadding);
    setMaximumWidth(maximumWidth);
    setText(m_model.query());
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_model.setQuery(text);
        restartCaret();
    });
    connect(&m_model, &OverviewModel::queryChanged, this, [this] {
        if (text() != m_model.query())
            setText(m_model.query());
    });
    const int blink = QApplication::cursorFlashTime() / 2;
    m_caretBlink.setInterval(blink > 0 ? blink : 500);
    connect(&m_caretBlink, &QTimer::timeout, this, [this] {
        m_caretShown = !m_caretShown;
        update();
    });
}

void OverviewSearchField::setSearchFocused(bool focused) {
    m_searchFocused = focused;
    if (focused)
        restartCaret();
    else
        m_caretBlink.stop();
    update();
}

void OverviewSearchField::restartCaret() {
    m_caretShown = true;
    if (m_searchFocused)
        m_caretBlink.start();
    update();
}

bool OverviewSearchField::event(QEvent* event) {
    // The field holds the keyboard while the overlay is up, which Qt puts
    // before any popup: keys typed in a card's menu belong to the menu.
    const bool isKey = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (QWidget* popup = QApplication::activePopupWidget(); isKey && popup && popup != this)
        return QCoreApplication::sendEvent(popup, event);
    // Tab and Shift-Tab belong to the overlay, not to focus navigation.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void OverviewSearchField::keyPressEvent(QKeyEvent* event) {
    const OverviewKeyMap::KeyPress press{event->key(), event->modifiers(), event->text(),
                                         event->isAutoRepeat(), event->nativeScanCode()};
    if (OverviewKeyMap::handle(m_model, press)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
    restartCaret();
}

void OverviewSearchField::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    setSearchFocused(true);
}

void OverviewSearchField::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        GlassPainter::paint(painter, *this, GlassPainter::capsule(capsule));
        const int side = iconSide(font());
        const QColor secondary = palette().color(QPalette::PlaceholderText);
        painter.drawPixmap(
            QPointF(horizontalPadding, (height() - side) / 2.0),
            Symbols::pixmap(u"magnifyingglass"_s, side, secondary, devicePixelRatioF()));
    }
    QLineEdit::paintEvent(event);
    paintCaret();
}

void OverviewSearchField::paintCaret() {
    if (!m_searchFocused || !m_caretShown || hasFocus())
        return;
    QPainter painter(this);
    const QRect caret = cursorRect();
    const int x = caret.center().x();
    painter.fillRect(QRect(x, caret.top(), 1, caret.height()), palette().color(QPalette::Text));
}
