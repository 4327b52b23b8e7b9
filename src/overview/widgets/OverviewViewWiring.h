#pragma once

#include <memory>

class Defaults;
class DesktopEntries;
class OverviewPanelController;
class OverviewView;

// Connects the overlay's view, whatever window holds it, to what it shows
// beside the clips: the installed applications' names and icons, the
// key-hint preference as it changes, and the controller that hears when a
// card dragged out of it is dropped.
void wireOverviewView(OverviewView& view, OverviewPanelController& controller,
                      std::shared_ptr<DesktopEntries> entries, Defaults& defaults);
