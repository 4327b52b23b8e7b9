#include "OverviewViewWiring.h"

#include "OverviewView.h"
#include "overview/OverviewPanelController.h"
#include "platform/xdg/DesktopEntries.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"

#include <QPointer>

void wireOverviewView(OverviewView& view, OverviewPanelController& controller,
                      std::shared_ptr<DesktopEntries> entries, Defaults& defaults) {
    view.setApplicationLookup(
        [entries](const QString& id) { return entries->applicationIcon(id); },
        [entries](const QString& id) { return entries->applicationName(id); });
    view.setShowsKeyHints(Preferences::showsKeyHints(defaults));
    QObject::connect(&defaults, &Defaults::changed, &view, [view = &view, &defaults] {
        view->setShowsKeyHints(Preferences::showsKeyHints(defaults));
    });
    view.setDragEndedHandler([controller = QPointer(&controller)] {
        if (controller)
            controller->dragEnded();
    });
}
