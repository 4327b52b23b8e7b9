#pragma once

#include "KeyboardShortcuts/Name.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Defaults;

// The preference keys, their defaults and the validated readers.
class Preferences {
public:
    Preferences() = delete;

    static const QString gridSizeKey;
    static const QString appearanceKey;
    static const QString showKeyHintsKey;
    static const QString historyLimitKey;
    static const QString excludedBundleIDsKey;
    static const QString onboardingShownKey;
    static const QString maximumClipMegabytesKey;
    static const QString skipSecretShapesKey;

    static constexpr int defaultGridSize = 6;
    static constexpr int defaultHistoryLimit = 27;
    static constexpr int defaultMaximumClipMegabytes = 32;
    static constexpr int largestMaximumClipMegabytes = 1024;
    static const QList<int> historyLimitOptions;

    // Password managers whose copies are never stored, by macOS bundle id,
    // then by the application ids and WM_CLASS names they have on Linux.
    static QStringList builtInExcludedBundleIDs();

    // The shortcut that shows the overlay, Shift-Super-V unless the user
    // chose another; created (and its default stored) on first use.
    static const KeyboardShortcuts::Name& showClipboardShortcut();

    // Registers "gridSize" = 6.
    static void registerGridSizeDefault(Defaults& defaults);
    // Repairs a stored history limit outside 9, 18 and 27, then registers the
    // defaults of "historyLimit" and "excludedBundleIDs".
    static void registerPreferenceDefaults(Defaults& defaults);

    static int currentHistoryLimit(const Defaults& defaults);
    // Copies larger than this are not kept: "maximumClipMegabytes", 1 to
    // 1024, else 32.
    static qint64 maximumClipBytes(const Defaults& defaults);
    static int currentGridSize(const Defaults& defaults);
    static bool showsKeyHints(const Defaults& defaults);
    // Whether copies that look like secrets are left out; on unless turned off.
    static bool skipsSecretShapes(const Defaults& defaults);

    // The applications whose copies are refused: the stored list, else the
    // built-in one.
    static QStringList excludedBundleIDs(const Defaults& defaults);
    // Whether captures from this application are refused. The list is read
    // at every call, so edits take effect at the next copy; a stored list
    // replaces the built-in one entirely.
    static bool isExcluded(const Defaults& defaults, const std::optional<QString>& bundleID);
};

enum class AppAppearance { automatic, light, dark };

QString appearanceName(AppAppearance appearance);
QList<AppAppearance> allAppearances();
AppAppearance currentAppearance(const Defaults& defaults);
