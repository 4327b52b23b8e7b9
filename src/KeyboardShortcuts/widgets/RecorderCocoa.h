#pragma once

#include "KeyboardShortcuts/Name.h"
#include "KeyboardShortcuts/Shortcut.h"
#include "KeyboardShortcuts/ValidationResult.h"

#include <QLineEdit>
#include <QStringList>

#include <functional>
#include <optional>

class QAction;

namespace KeyboardShortcuts {

enum class ConflictBehavior { block = 0, warn = 1, allow = 2 };

// What a recorder does when a new shortcut is already in use.
struct ConflictPolicy {
    ConflictBehavior menuItem = ConflictBehavior::block;
    ConflictBehavior systemShortcut = ConflictBehavior::warn;
    ConflictBehavior disallowed = ConflictBehavior::block;
};

// A warning shown while recording; the answer is the index of the chosen
// button (an alert without buttons of its own has an "OK").
struct RecorderAlert {
    QWidget* window = nullptr;
    QString message;
    std::optional<QString> informativeText;
    QStringList buttons;
};

// The box in which the user sets a global shortcut. It shows the current
// shortcut; clicked (or reached with Tab, or given Space) it records the
// next combination, checks it against the application's own menu
// shortcuts, the desktop's and the caller's rule, and stores it. While it
// records, the library's shortcuts are paused, so pressing the current one
// reaches the box. Its clear button removes the shortcut and starts
// recording. It never starts recording only because its window opened.
class RecorderCocoa : public QLineEdit {
    Q_OBJECT

public:
    enum class StorageMode { name, binding };
    using ChangeHandler = std::function<void(const std::optional<Shortcut>&)>;

    static constexpr int minimumWidth = 130;
    static constexpr int preferredWidth = 170;

    // The shortcut lives in the preferences under `name`.
    explicit RecorderCocoa(const Name& name, ChangeHandler onChange = {},
                           QWidget* parent = nullptr);
    // The shortcut lives only here and goes out through `onChange`.
    explicit RecorderCocoa(std::optional<Shortcut> shortcut, ChangeHandler onChange = {},
                           QWidget* parent = nullptr);
    ~RecorderCocoa() override;

    ChangeHandler onChange;
    std::function<ValidationResult(const Shortcut&)> validateShortcut;
    ConflictPolicy conflictPolicy;
    // A window-modal warning box and the desktop's beep; tests answer
    // instead.
    std::function<int(const RecorderAlert&)> presentAlert;
    std::function<void()> beep;

    StorageMode storageMode() const { return m_storageMode; }
    const Name& shortcutName() const { return m_name; }
    void setShortcutName(const Name& name);
    std::optional<Shortcut> shortcut() const;
    bool isRecording() const { return m_recording; }
    // The recorder recording now, if any: at most one at a time.
    static RecorderCocoa* activeRecorder();

    // What a key press means while recording, before any check.
    enum class KeyMeaning { moveFocus, clear, stop, refuse, candidate };
    static KeyMeaning meaningOfKey(std::optional<qint64> keyCode, qint64 flags);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RecorderCocoa(StorageMode mode, ChangeHandler onChange, QWidget* parent);
    void startRecording();
    void endRecording();
    void showShortcut();
    void updateClearButton();
    void recordKey(const QKeyEvent& event);
    bool passesChecks(const Shortcut& shortcut);
    bool useDespiteConflict(ConflictBehavior behavior, const QString& message,
                            const std::optional<QString>& informativeText);
    int alert(const QString& message, const std::optional<QString>& informativeText,
              const QStringList& buttons);
    void accept(const Shortcut& shortcut);
    void store(const std::optional<Shortcut>& shortcut);
    void clearShortcut();
    std::optional<QString> menuItemUsing(const Shortcut& shortcut) const;
    int defaultAlert(const RecorderAlert& request) const;

    StorageMode m_storageMode;
    Name m_name;
    std::optional<Shortcut> m_binding;
    bool m_recording = false;
    QAction* m_clearAction;
};

} // namespace KeyboardShortcuts
