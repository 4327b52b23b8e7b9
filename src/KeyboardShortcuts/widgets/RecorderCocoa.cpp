#include "RecorderCocoa.h"

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/KeyEvents.h"
#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/ShortcutDescription.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

namespace KeyboardShortcuts {

namespace {

QPointer<RecorderCocoa>& active() {
    static QPointer<RecorderCocoa> recorder;
    return recorder;
}

// Clicks this close around the box still count as on it.
constexpr int clickMargin = 3;

bool isFunctionKey(qint64 keyCode) {
    static const QSet<qint64> keys = {
        Keys::f1.rawValue,  Keys::f2.rawValue,  Keys::f3.rawValue,  Keys::f4.rawValue,
        Keys::f5.rawValue,  Keys::f6.rawValue,  Keys::f7.rawValue,  Keys::f8.rawValue,
        Keys::f9.rawValue,  Keys::f10.rawValue, Keys::f11.rawValue, Keys::f12.rawValue,
        Keys::f13.rawValue, Keys::f14.rawValue, Keys::f15.rawValue, Keys::f16.rawValue,
        Keys::f17.rawValue, Keys::f18.rawValue, Keys::f19.rawValue, Keys::f20.rawValue};
    return keys.contains(keyCode);
}

// Modifier keys pressed on their own are part of a combination being typed.
bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

// A menu item's title as the user reads it: no mnemonic marks, no shortcut
// text after a tab.
QString titleOf(const QAction& action) {
    QString title = action.text().section(u'\t', 0, 0);
    title.replace(QLatin1String("&&"), QString(QChar(0xfffe)));
    title.remove(u'&');
    title.replace(QChar(0xfffe), u'&');
    return title;
}

} // namespace

RecorderCocoa::RecorderCocoa(StorageMode mode, ChangeHandler onChange, QWidget* parent)
    : QLineEdit(parent), onChange(std::move(onChange)), m_storageMode(mode),
      m_clearAction(new QAction(this)) {
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
    setPlaceholderText(tr("Record Shortcut"));
    setAccessibleName(tr("Keyboard shortcut"));
    setAccessibleDescription(tr("Press Space, then the new key combination. While recording, "
                                "Backspace removes the shortcut and Escape keeps it."));
    m_clearAction->setIcon(style()->standardIcon(QStyle::SP_LineEditClearButton));
    m_clearAction->setToolTip(tr("Remove the shortcut"));
    addAction(m_clearAction, QLineEdit::TrailingPosition);
    connect(m_clearAction, &QAction::triggered, this, &RecorderCocoa::clearShortcut);
    beep = [] { QApplication::beep(); };
    presentAlert = [this](const RecorderAlert& request) { return defaultAlert(request); };
}

RecorderCocoa::RecorderCocoa(const Name& name, ChangeHandler onChange, QWidget* parent)
    : RecorderCocoa(StorageMode::name, std::move(onChange), parent) {
    m_name = name;
    connect(&notifier(), &Notifier::shortcutByNameDidChange, this, [this](const Name& changed) {
        if (m_storageMode == StorageMode::name && changed == m_name)
            showShortcut();
    });
    showShortcut();
}

RecorderCocoa::RecorderCocoa(std::optional<Shortcut> shortcut, ChangeHandler onChange,
                             QWidget* parent)
    : RecorderCocoa(StorageMode::binding, std::move(onChange), parent) {
    m_binding = shortcut;
    showShortcut();
}

RecorderCocoa::~RecorderCocoa() {
    endRecording();
}

RecorderCocoa* RecorderCocoa::activeRecorder() {
    return active();
}

void RecorderCocoa::setShortcutName(const Name& name) {
    const bool changed = name != m_name;
    m_name = name;
    if (changed && m_storageMode == StorageMode::name)
        showShortcut();
}

std::optional<Shortcut> RecorderCocoa::shortcut() const {
    return m_storageMode == StorageMode::binding ? m_binding : getShortcut(m_name);
}

QSize RecorderCocoa::sizeHint() const {
    return {preferredWidth, QLineEdit::sizeHint().height()};
}

QSize RecorderCocoa::minimumSizeHint() const {
    return {minimumWidth, QLineEdit::minimumSizeHint().height()};
}

void RecorderCocoa::showShortcut() {
    const std::optional<Shortcut> current = shortcut();
    setText(current ? description(*current) : QString());
    updateClearButton();
}

void RecorderCocoa::updateClearButton() {
    m_clearAction->setVisible(!text().isEmpty());
}

void RecorderCocoa::startRecording() {
    if (m_recording)
        return;
    m_recording = true;
    setPlaceholderText(tr("Press Shortcut"));
    updateClearButton();
    active() = this;
    setPaused(true);
    Q_EMIT notifier().recorderActiveStatusDidChange(true);
    qApp->installEventFilter(this);
    // Holding the keyboard keeps other programs' shortcuts from taking the
    // combination being typed; the desktop check then tells the user.
    grabKeyboard();
    update();
}

void RecorderCocoa::endRecording() {
    if (!m_recording)
        return;
    m_recording = false;
    releaseKeyboard();
    qApp->removeEventFilter(this);
    setPlaceholderText(tr("Record Shortcut"));
    updateClearButton();
    // Only the recorder that paused the library resumes it.
    if (active() == this) {
        active() = nullptr;
        setPaused(false);
        Q_EMIT notifier().recorderActiveStatusDidChange(false);
    }
    update();
}

void RecorderCocoa::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Tab selects a line edit's text; here there is nothing to edit.
    deselect();
    // Focus given back with the window, or after a menu, is no request.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        startRecording();
}

void RecorderCocoa::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    endRecording();
    // The window went to the back: coming to the front again must not
    // hand the focus back to the box.
    if (event->reason() == Qt::ActiveWindowFocusReason)
        QTimer::singleShot(0, this, [this] {
            if (!isActiveWindow())
                clearFocus();
        });
}

// A centred line edit hides its placeholder while it has the focus, which
// is exactly when "Press Shortcut" must show.
void RecorderCocoa::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (!text().isEmpty() || !hasFocus())
        return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    area.setRight(area.right() - height()); // the clear button's place, kept symmetric
    area.setLeft(area.left() + height());
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(area, Qt::AlignCenter,
                     fontMetrics().elidedText(placeholderText(), Qt::ElideRight, area.width()));
}

// A box that has the focus back from its window records once clicked.
void RecorderCocoa::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && hasFocus())
        startRecording();
}

bool RecorderCocoa::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && m_recording) {
        // Every combination is for the box, none for the window's actions.
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (m_recording) {
            if (meaningOfKey(virtualKeyOfEvent(key), modifierFlagsOfEvent(key)) ==
                KeyMeaning::moveFocus) {
                endRecording();
                return QLineEdit::event(event);
            }
            recordKey(key);
            return true;
        }
        const int pressed = key.key();
        if (key.modifiers() == Qt::NoModifier &&
            (pressed == Qt::Key_Space || pressed == Qt::Key_Return || pressed == Qt::Key_Enter)) {
            startRecording();
            return true;
        }
    }
    return QLineEdit::event(event);
}

bool RecorderCocoa::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && watched->isWidgetType()) {
        const auto& mouse = static_cast<const QMouseEvent&>(*event);
        const QRect around = rect().adjusted(-clickMargin, -clickMargin, clickMargin, clickMargin);
        if (!around.contains(mapFromGlobal(mouse.globalPosition().toPoint())))
            clearFocus();
    }
    return false;
}

RecorderCocoa::KeyMeaning RecorderCocoa::meaningOfKey(std::optional<qint64> keyCode, qint64 flags) {
    using namespace ModifierFlag;
    if (!(flags & (shift | control | option | command | function))) {
        if (keyCode == Keys::tab.rawValue)
            return KeyMeaning::moveFocus;
        if (keyCode == Keys::deleteKey.rawValue || keyCode == Keys::deleteForward.rawValue)
            return KeyMeaning::clear;
        if (keyCode == Keys::escape.rawValue)
            return KeyMeaning::stop;
    }
    // Without Control, Option or Command only an F-key makes a shortcut.
    if (!(flags & (control | option | command)) && !(keyCode && isFunctionKey(*keyCode)))
        return KeyMeaning::refuse;
    return KeyMeaning::candidate;
}

void RecorderCocoa::recordKey(const QKeyEvent& event) {
    if (isModifierKey(event.key()))
        return;
    const std::optional<qint64> keyCode = virtualKeyOfEvent(event);
    switch (meaningOfKey(keyCode, modifierFlagsOfEvent(event))) {
    case KeyMeaning::moveFocus:
        return; // handled before, where the event can go on
    case KeyMeaning::clear:
        clearShortcut();
        return;
    case KeyMeaning::stop:
        clearFocus();
        return;
    case KeyMeaning::refuse:
        beep();
        return;
    case KeyMeaning::candidate:
        break;
    }
    const std::optional<Shortcut> candidate = shortcutFromEvent(event);
    if (!candidate) {
        beep();
        return;
    }
    if (passesChecks(*candidate))
        accept(*candidate);
}

bool RecorderCocoa::passesChecks(const Shortcut& candidate) {
    if (candidate != shortcut()) {
        if (const std::optional<QString> item = menuItemUsing(candidate);
            item && !useDespiteConflict(conflictPolicy.menuItem,
                                        tr("This shortcut cannot be used because the menu item "
                                           "“%1” uses it.")
                                            .arg(*item),
                                        std::nullopt))
            return false;
    }
    if (isTakenBySystem(candidate) &&
        !useDespiteConflict(conflictPolicy.systemShortcut,
                            tr("This shortcut is already used by the desktop or another "
                               "application."),
                            tr("It may not work here until it is changed there, in the "
                               "desktop's keyboard settings.")))
        return false;
    if (validateShortcut) {
        if (const ValidationResult result = validateShortcut(candidate); !result.isAllowed()) {
            alert(*result.disallowReason, std::nullopt, {});
            return false;
        }
    }
    return true;
}

bool RecorderCocoa::useDespiteConflict(ConflictBehavior behavior, const QString& message,
                                       const std::optional<QString>& informativeText) {
    switch (behavior) {
    case ConflictBehavior::block:
        alert(message, informativeText, {});
        return false;
    case ConflictBehavior::warn:
        return alert(message, informativeText, {tr("OK"), tr("Use Anyway")}) == 1;
    case ConflictBehavior::allow:
        break;
    }
    return true;
}

int RecorderCocoa::alert(const QString& message, const std::optional<QString>& informativeText,
                         const QStringList& buttons) {
    // The alert ends recording; the user can try another combination at
    // once after it.
    clearFocus();
    endRecording();
    const QPointer<RecorderCocoa> self(this);
    const int answer = presentAlert({window(), message, informativeText, buttons});
    if (self) {
        setFocus(Qt::OtherFocusReason);
        startRecording();
    }
    return answer;
}

int RecorderCocoa::defaultAlert(const RecorderAlert& request) const {
    QMessageBox box(QMessageBox::Warning,
                    request.window ? request.window->windowTitle() : QString(), request.message,
                    QMessageBox::NoButton, request.window);
    box.setWindowModality(Qt::WindowModal);
    if (request.informativeText)
        box.setInformativeText(*request.informativeText);
    const QStringList buttons = request.buttons.isEmpty() ? QStringList{tr("OK")} : request.buttons;
    QList<QAbstractButton*> added;
    for (const QString& title : buttons)
        added.append(box.addButton(title, added.isEmpty() ? QMessageBox::AcceptRole
                                                          : QMessageBox::DestructiveRole));
    box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
    box.setEscapeButton(added.first());
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}

void RecorderCocoa::accept(const Shortcut& accepted) {
    setText(description(accepted));
    updateClearButton();
    store(accepted);
    if (onChange)
        onChange(accepted);
    clearFocus();
    endRecording();
}

void RecorderCocoa::store(const std::optional<Shortcut>& value) {
    if (m_storageMode == StorageMode::binding)
        m_binding = value;
    else
        setShortcut(value, m_name);
}

void RecorderCocoa::clearShortcut() {
    setText(QString());
    store(std::nullopt);
    if (onChange)
        onChange(std::nullopt);
    updateClearButton();
    setFocus(Qt::OtherFocusReason);
    startRecording();
}

std::optional<QString> RecorderCocoa::menuItemUsing(const Shortcut& candidate) const {
    const QKeySequence sequence = keySequence(candidate);
    if (sequence.isEmpty())
        return std::nullopt;
    for (const QWidget* widget : QApplication::allWidgets()) {
        for (const QAction* action : widget->actions()) {
            if (action->shortcuts().contains(sequence))
                return titleOf(*action);
        }
    }
    return std::nullopt;
}

} // namespace KeyboardShortcuts
