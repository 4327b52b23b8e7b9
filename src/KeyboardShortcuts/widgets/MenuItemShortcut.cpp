#include "MenuItemShortcut.h"

#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/ShortcutDescription.h"

#include <QAction>
#include <QKeySequence>
#include <QList>

namespace KeyboardShortcuts {

namespace {

// A child of the action, so the fallback and the connection to the notifier
// end with the action.
class NameFollower : public QObject {
    Q_OBJECT

public:
    NameFollower(QAction* action, const Name& name)
        : QObject(action), m_fallback(action->shortcuts()), m_name(name) {
        connect(&notifier(), &Notifier::shortcutByNameDidChange, this, [this](const Name& changed) {
            if (changed == m_name)
                apply();
        });
    }

    void follow(const Name& name) {
        m_name = name;
        apply();
    }

    void restoreFallback() { action()->setShortcuts(m_fallback); }

private:
    void apply() {
        if (const std::optional<Shortcut> shortcut = getShortcut(m_name))
            action()->setShortcut(keySequence(*shortcut));
        else
            restoreFallback();
    }

    QAction* action() const { return static_cast<QAction*>(parent()); }

    // All of them: standard keys can give an action several.
    const QList<QKeySequence> m_fallback;
    Name m_name;
};

NameFollower* followerOf(QAction* action) {
    return action->findChild<NameFollower*>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

void setShortcut(QAction* action, const std::optional<Name>& name) {
    NameFollower* follower = followerOf(action);
    if (!name) {
        if (follower) {
            follower->restoreFallback();
            delete follower;
        }
        return;
    }
    if (!follower)
        follower = new NameFollower(action, *name);
    follower->follow(*name);
}

void setShortcut(QAction* action, const std::optional<Shortcut>& shortcut) {
    delete followerOf(action);
    action->setShortcut(shortcut ? keySequence(*shortcut) : QKeySequence());
}

} // namespace KeyboardShortcuts

#include "MenuItemShortcut.moc"
