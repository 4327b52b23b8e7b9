#include "Preferences.h"

#include "Defaults.h"
#include "KeyboardShortcuts/Key.h"

#include <QJsonArray>
#include <QJsonValue>

using namespace Qt::StringLiterals;

const QString Preferences::gridSizeKey = u"gridSize"_s;
const QString Preferences::appearanceKey = u"appearance"_s;
const QString Preferences::showKeyHintsKey = u"showKeyHints"_s;
const QString Preferences::historyLimitKey = u"historyLimit"_s;
const QString Preferences::excludedBundleIDsKey = u"excludedBundleIDs"_s;
const QString Preferences::onboardingShownKey = u"onboardingShown"_s;
const QString Preferences::maximumClipMegabytesKey = u"maximumClipMegabytes"_s;
const QString Preferences::skipSecretShapesKey = u"skipSecretShapes"_s;
const QList<int> Preferences::historyLimitOptions{9, 18, 27};

QStringList Preferences::builtInExcludedBundleIDs() {
    return {
        // macOS bundle identifiers, kept so that a shared settings file means
        // the same everywhere.
        u"com.1password.1password"_s,
        u"com.agilebits.onepassword7"_s,
        u"com.bitwarden.desktop"_s,
        u"com.apple.keychainaccess"_s,
        u"com.apple.Passwords"_s,
        u"in.sinew.Enpass-Desktop.App"_s,
        u"org.keepassxc.keepassxc"_s,
        u"me.proton.pass.electron"_s,
        u"com.nordsec.nordpass"_s,
        // Linux application ids (Flatpak ids and desktop entry names).
        u"org.keepassxc.KeePassXC"_s,
        u"bitwarden"_s,
        u"1password"_s,
        u"org.gnome.seahorse.Application"_s,
        u"org.gnome.World.Secrets"_s,
        u"org.kde.kwalletmanager5"_s,
        u"org.kde.kwalletmanager"_s,
        u"proton-pass"_s,
        u"me.proton.Pass"_s,
        u"enpass"_s,
        u"nordpass"_s,
        u"keepass2"_s,
        u"org.gnome.PasswordSafe"_s,
        // WM_CLASS class names, for installations without a desktop entry
        // (AppImages, tarballs).
        u"KeePassXC"_s,
        u"Bitwarden"_s,
        u"1Password"_s,
        u"Enpass"_s,
        u"NordPass"_s,
        u"Proton Pass"_s,
        u"KeePass2"_s,
    };
}

void Preferences::registerGridSizeDefault(Defaults& defaults) {
    defaults.registerDefaults({{gridSizeKey, defaultGridSize}});
}

void Preferences::registerPreferenceDefaults(Defaults& defaults) {
    if (defaults.hasStoredValue(historyLimitKey)) {
        const auto stored = Defaults::integerValue(defaults.value(historyLimitKey));
        if (stored && !historyLimitOptions.contains(*stored))
            defaults.set(historyLimitKey, defaultHistoryLimit);
    }
    defaults.registerDefaults({
        {historyLimitKey, defaultHistoryLimit},
        {excludedBundleIDsKey, QJsonArray::fromStringList(builtInExcludedBundleIDs())},
    });
}

qint64 Preferences::maximumClipBytes(const Defaults& defaults) {
    qint64 megabytes = defaults.integer(maximumClipMegabytesKey);
    if (megabytes < 1 || megabytes > largestMaximumClipMegabytes)
        megabytes = defaultMaximumClipMegabytes;
    return megabytes * 1024 * 1024;
}

int Preferences::currentHistoryLimit(const Defaults& defaults) {
    const qint64 limit = defaults.integer(historyLimitKey);
    return historyLimitOptions.contains(limit) ? int(limit) : defaultHistoryLimit;
}

int Preferences::currentGridSize(const Defaults& defaults) {
    return defaults.integer(gridSizeKey) == 9 ? 9 : defaultGridSize;
}

bool Preferences::showsKeyHints(const Defaults& defaults) {
    if (defaults.value(showKeyHintsKey).isUndefined())
        return true;
    return defaults.boolean(showKeyHintsKey);
}

bool Preferences::skipsSecretShapes(const Defaults& defaults) {
    const QJsonValue value = defaults.value(skipSecretShapesKey);
    return !value.isBool() || value.toBool();
}

QStringList Preferences::excludedBundleIDs(const Defaults& defaults) {
    return defaults.stringList(excludedBundleIDsKey).value_or(builtInExcludedBundleIDs());
}

bool Preferences::isExcluded(const Defaults& defaults, const std::optional<QString>& bundleID) {
    return bundleID && excludedBundleIDs(defaults).contains(*bundleID, Qt::CaseSensitive);
}

QString appearanceName(AppAppearance appearance) {
    switch (appearance) {
    case AppAppearance::light:
        return u"light"_s;
    case AppAppearance::dark:
        return u"dark"_s;
    case AppAppearance::automatic:
        break;
    }
    return u"auto"_s;
}

QList<AppAppearance> allAppearances() {
    return {AppAppearance::automatic, AppAppearance::light, AppAppearance::dark};
}

AppAppearance currentAppearance(const Defaults& defaults) {
    const QString name = defaults.string(Preferences::appearanceKey).value_or(QString());
    if (name == "light"_L1)
        return AppAppearance::light;
    if (name == "dark"_L1)
        return AppAppearance::dark;
    return AppAppearance::automatic;
}

const KeyboardShortcuts::Name& Preferences::showClipboardShortcut() {
    using namespace KeyboardShortcuts;
    static const Name name(u"showClipboard"_s,
                           Shortcut::fromKey(Keys::v, ModifierFlag::shift | ModifierFlag::command));
    return name;
}
