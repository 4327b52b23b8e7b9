<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>AboutBox</name>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>About Velloq</source>
        <translation>Über Velloq</translation>
    </message>
    <message>
        <source>Your clipboard history, one shortcut away.</source>
        <translation>Ihr Zwischenablage-Verlauf, nur ein Tastenkürzel entfernt.</translation>
    </message>
    <message>
        <source>Made by Tarnbrook Software. Free software under the GNU GPL, version 3 or later.
Built with Qt %1 (LGPL 3), libxcb, xkbcommon and libgcrypt.</source>
        <translation>Von Tarnbrook Software. Freie Software unter der GNU GPL, Version 3 oder später.
Erstellt mit Qt %1 (LGPL 3), libxcb, xkbcommon und libgcrypt.</translation>
    </message>
</context>
<context>
    <name>AccessibilityStep</name>
    <message>
        <source>Allow click to paste</source>
        <translation>Einfügen per Klick erlauben</translation>
    </message>
    <message>
        <source>Click to paste is on</source>
        <translation>Einfügen per Klick ist an</translation>
    </message>
    <message>
        <source>To paste a card right where you were typing, Velloq needs Accessibility access. Turn on Velloq in System Settings → Privacy &amp; Security → Accessibility.</source>
        <translation>Um eine Karte genau dort einzufügen, wo Sie geschrieben haben, braucht Velloq Zugriff auf die Bedienungshilfen. Schalten Sie Velloq unter Systemeinstellungen → Datenschutz &amp; Sicherheit → Bedienungshilfen ein.</translation>
    </message>
    <message>
        <source>Without it, clicking a card only copies it — then press ⌃V yourself.</source>
        <translation>Ohne ihn kopiert ein Klick die Karte nur – drücken Sie dann selbst ⌃V.</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Überspringen</translation>
    </message>
    <message>
        <source>Open System Settings</source>
        <translation>Systemeinstellungen öffnen</translation>
    </message>
    <message>
        <source>Clicking a card will paste it where you were typing.</source>
        <translation>Ein Klick auf eine Karte fügt sie dort ein, wo Sie geschrieben haben.</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
</context>
<context>
    <name>AppDelegate</name>
    <message>
        <source>Checking for updates…</source>
        <translation>Suche nach Aktualisierungen …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>&lt;b&gt;You&apos;re up to date&lt;/b&gt;</source>
        <translation>&lt;b&gt;Velloq ist auf dem neuesten Stand&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Velloq %1 is the newest version.</source>
        <translation>Velloq %1 ist die neueste Version.</translation>
    </message>
    <message>
        <source>Release notes</source>
        <translation>Versionshinweise</translation>
    </message>
    <message>
        <source>Download page</source>
        <translation>Download-Seite</translation>
    </message>
    <message>
        <source>&lt;b&gt;Velloq %1 is available&lt;/b&gt;&lt;br&gt;%2</source>
        <translation>&lt;b&gt;Velloq %1 ist verfügbar&lt;/b&gt;&lt;br&gt;%2</translation>
    </message>
    <message>
        <source>You have %1. Your package manager installs the new version.</source>
        <translation>Sie haben %1. Ihre Paketverwaltung installiert die neue Version.</translation>
    </message>
    <message>
        <source>&lt;b&gt;Velloq could not check for updates&lt;/b&gt;</source>
        <translation>&lt;b&gt;Velloq konnte nicht nach Aktualisierungen suchen&lt;/b&gt;</translation>
    </message>
</context>
<context>
    <name>AppServices</name>
    <message>
        <source>Velloq could not save the history file in %1 (a full disk, or a read-only folder?). New copies stay in memory and are saved again at the next change.</source>
        <translation>Velloq konnte die Verlaufsdatei in %1 nicht speichern (volle Festplatte oder schreibgeschützter Ordner?). Neue Kopien bleiben im Speicher und werden bei der nächsten Änderung erneut gespeichert.</translation>
    </message>
    <message>
        <source>Velloq could not save a copied picture in %1 (a full disk, or a read-only folder?). New copies stay in memory and are saved again at the next change.</source>
        <translation>Velloq konnte ein kopiertes Bild in %1 nicht speichern (volle Festplatte oder schreibgeschützter Ordner?). Neue Kopien bleiben im Speicher und werden bei der nächsten Änderung erneut gespeichert.</translation>
    </message>
</context>
<context>
    <name>ApplicationChooser</name>
    <message>
        <source>Add App</source>
        <translation>App hinzufügen</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Search applications</source>
        <translation>Anwendungen durchsuchen</translation>
    </message>
    <message>
        <source>Applications</source>
        <translation>Anwendungen</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
</context>
<context>
    <name>ClipCardView</name>
    <message>
        <source>Copied %1</source>
        <translation>Kopiert %1</translation>
    </message>
    <message>
        <source>Pinned</source>
        <translation>Angeheftet</translation>
    </message>
    <message>
        <source>“%1” is in the picture’s text</source>
        <translation>„%1“ steht im Text des Bildes</translation>
    </message>
</context>
<context>
    <name>ClipPresentation</name>
    <message>
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Link</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>und %n weitere</numerusform>
            <numerusform>und %n weitere</numerusform>
        </translation>
    </message>
    <message>
        <source>Press %1 to paste</source>
        <translation>Zum Einfügen %1 drücken</translation>
    </message>
</context>
<context>
    <name>ClipPreviewView</name>
    <message>
        <source>Return to paste · Space or Esc to close</source>
        <translation>Eingabe zum Einfügen · Leertaste oder Esc zum Schließen</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <comment>a date, then a time of day</comment>
        <translation>%1 um %2</translation>
    </message>
    <message>
        <source>MMM d, yyyy</source>
        <comment>date pattern</comment>
        <translation>d. MMM yyyy</translation>
    </message>
    <message>
        <source>h:mm AP</source>
        <comment>time pattern</comment>
        <translation>HH:mm</translation>
    </message>
</context>
<context>
    <name>ClipboardSettingsView</name>
    <message>
        <source>Clear all clipboard history, including pinned items?</source>
        <translation>Den ganzen Zwischenablage-Verlauf löschen, auch angeheftete Einträge?</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message numerus="yes">
        <source>%n items</source>
        <translation>
            <numerusform>%n Eintrag</numerusform>
            <numerusform>%n Einträge</numerusform>
        </translation>
    </message>
    <message>
        <source>Keep last</source>
        <translation>Behalten</translation>
    </message>
    <message>
        <source>Pinned items are always kept.</source>
        <translation>Angeheftete Einträge bleiben immer erhalten.</translation>
    </message>
    <message>
        <source>Don&apos;t save copies from</source>
        <translation>Keine Kopien speichern aus</translation>
    </message>
    <message>
        <source>Add App…</source>
        <translation>App hinzufügen …</translation>
    </message>
    <message>
        <source>Clear History…</source>
        <translation>Verlauf löschen …</translation>
    </message>
    <message>
        <source>Clear History</source>
        <translation>Verlauf löschen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Skip copies that look like secrets</source>
        <translation>Kopien überspringen, die wie Geheimnisse aussehen</translation>
    </message>
</context>
<context>
    <name>ExcludedAppRow</name>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <translation>%1 entfernen</translation>
    </message>
</context>
<context>
    <name>GeneralSettingsView</name>
    <message>
        <source>6 — larger (3×2)</source>
        <translation>6 – größer (3×2)</translation>
    </message>
    <message>
        <source>9 — more (3×3)</source>
        <translation>9 – mehr (3×3)</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Hell</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>Dunkel</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Show clipboard:</source>
        <translation>Zwischenablage zeigen:</translation>
    </message>
    <message>
        <source>Overview</source>
        <translation>Übersicht</translation>
    </message>
    <message>
        <source>Cards on screen</source>
        <translation>Karten auf dem Bildschirm</translation>
    </message>
    <message>
        <source>Appearance</source>
        <translation>Erscheinungsbild</translation>
    </message>
    <message>
        <source>Show keyboard hints</source>
        <translation>Tastaturhinweise zeigen</translation>
    </message>
    <message>
        <source>Launch at login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
</context>
<context>
    <name>KeyHintBar</name>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Paste selected</source>
        <translation>Auswahl einfügen</translation>
    </message>
    <message>
        <source>As plain text</source>
        <translation>Nur Text</translation>
    </message>
    <message>
        <source>Pin</source>
        <translation>Anheften</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Clear search</source>
        <translation>Suche leeren</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Leertaste</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Widerrufen</translation>
    </message>
    <message>
        <source>Next tab</source>
        <translation>Nächster Reiter</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Type to search</source>
        <translation>Tippen zum Suchen</translation>
    </message>
</context>
<context>
    <name>KeyboardShortcuts</name>
    <message>
        <source>Space</source>
        <comment>space_key</comment>
        <translation>Leertaste</translation>
    </message>
</context>
<context>
    <name>KeyboardShortcuts::RecorderCocoa</name>
    <message>
        <source>Record Shortcut</source>
        <translation>Kürzel aufnehmen</translation>
    </message>
    <message>
        <source>Keyboard shortcut</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Remove the shortcut</source>
        <translation>Tastenkürzel entfernen</translation>
    </message>
    <message>
        <source>Press Shortcut</source>
        <translation>Kürzel drücken</translation>
    </message>
    <message>
        <source>This shortcut cannot be used because the menu item “%1” uses it.</source>
        <translation>Dieses Tastenkürzel kann nicht verwendet werden, weil der Menüeintrag „%1“ es verwendet.</translation>
    </message>
    <message>
        <source>This shortcut is already used by the desktop or another application.</source>
        <translation>Dieses Tastenkürzel wird schon von der Arbeitsumgebung oder einer anderen Anwendung verwendet.</translation>
    </message>
    <message>
        <source>It may not work here until it is changed there, in the desktop&apos;s keyboard settings.</source>
        <translation>Es funktioniert hier womöglich erst, wenn es dort geändert wurde, in den Tastatureinstellungen der Arbeitsumgebung.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Use Anyway</source>
        <translation>Trotzdem verwenden</translation>
    </message>
    <message>
        <source>Press Space, then the new key combination. While recording, Backspace removes the shortcut and Escape keeps it.</source>
        <translation>Drücken Sie die Leertaste, dann die neue Tastenkombination. Während der Aufnahme entfernt die Rücktaste das Tastenkürzel, Escape behält es.</translation>
    </message>
</context>
<context>
    <name>OnboardingWindowController</name>
    <message>
        <source>Welcome to Velloq</source>
        <translation>Willkommen bei Velloq</translation>
    </message>
</context>
<context>
    <name>OverviewGrid</name>
    <message>
        <source>Nothing found</source>
        <translation>Nichts gefunden</translation>
    </message>
    <message>
        <source>Pin a card to keep it at hand</source>
        <translation>Heften Sie eine Karte an, um sie griffbereit zu haben</translation>
    </message>
    <message>
        <source>Copy something — it will show up here</source>
        <translation>Kopieren Sie etwas – es erscheint hier</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Unpin	⌃P</source>
        <translation>Lösen	⌃P</translation>
    </message>
    <message>
        <source>Pin	⌃P</source>
        <translation>Anheften	⌃P</translation>
    </message>
    <message>
        <source>Delete	⌃⌫</source>
        <translation>Löschen	⌃⌫</translation>
    </message>
</context>
<context>
    <name>OverviewModel</name>
    <message>
        <source>Moved to Pinned</source>
        <translation>Zu „Angeheftet“ verschoben</translation>
    </message>
    <message>
        <source>Removed from Pinned</source>
        <translation>Aus „Angeheftet“ entfernt</translation>
    </message>
    <message>
        <source>Deleted · ⌃Z to undo</source>
        <translation>Gelöscht · ⌃Z zum Widerrufen</translation>
    </message>
    <message>
        <source>Restored</source>
        <translation>Wiederhergestellt</translation>
    </message>
    <message>
        <source>Not kept: looks like a secret</source>
        <translation>Nicht behalten: sieht wie ein Geheimnis aus</translation>
    </message>
</context>
<context>
    <name>OverviewSearchField</name>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
</context>
<context>
    <name>OverviewSettingsButton</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
</context>
<context>
    <name>OverviewTabPicker</name>
    <message>
        <source>Recent</source>
        <translation>Neueste</translation>
    </message>
    <message>
        <source>Pinned</source>
        <translation>Angeheftet</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Tabs</source>
        <translation>Reiter</translation>
    </message>
</context>
<context>
    <name>PermissionsSettingsView</name>
    <message>
        <source>Click to paste is on: clicking a card pastes it where you were typing.</source>
        <translation>Einfügen per Klick ist an: Ein Klick auf eine Karte fügt sie dort ein, wo Sie geschrieben haben.</translation>
    </message>
    <message>
        <source>Needed to paste a card with a click. Without it, the card is only copied and you press ⌃V yourself.</source>
        <translation>Nötig, um eine Karte per Klick einzufügen. Ohne diese Erlaubnis wird die Karte nur kopiert, und Sie drücken selbst ⌃V.</translation>
    </message>
    <message>
        <source>Open System Settings</source>
        <translation>Systemeinstellungen öffnen</translation>
    </message>
    <message>
        <source>Accessibility</source>
        <translation>Bedienungshilfen</translation>
    </message>
    <message>
        <source>Allowed</source>
        <translation>Erlaubt</translation>
    </message>
    <message>
        <source>Not allowed</source>
        <translation>Nicht erlaubt</translation>
    </message>
</context>
<context>
    <name>PortalGlobalShortcuts</name>
    <message>
        <source>Show the clipboard history</source>
        <translation>Den Zwischenablage-Verlauf zeigen</translation>
    </message>
</context>
<context>
    <name>ReadyStep</name>
    <message>
        <source>your shortcut</source>
        <translation>Ihr Tastenkürzel</translation>
    </message>
    <message>
        <source>Press %1</source>
        <translation>%1 drücken</translation>
    </message>
    <message>
        <source>Your recent copies appear as cards over the whole screen. Change the shortcut in Settings.</source>
        <translation>Ihre letzten Kopien erscheinen als Karten über dem ganzen Bildschirm. Das Tastenkürzel ändern Sie in den Einstellungen.</translation>
    </message>
    <message>
        <source>Click to paste</source>
        <translation>Klicken zum Einfügen</translation>
    </message>
    <message>
        <source>Or use the arrow keys and Return.</source>
        <translation>Oder mit den Pfeiltasten und der Eingabetaste.</translation>
    </message>
    <message>
        <source>Drag anywhere</source>
        <translation>Überallhin ziehen</translation>
    </message>
    <message>
        <source>Drop a card into a document, onto the desktop, or into another app.</source>
        <translation>Ziehen Sie eine Karte in ein Dokument, auf den Schreibtisch oder in eine andere App.</translation>
    </message>
    <message>
        <source>Pin what you use often</source>
        <translation>Häufiges anheften</translation>
    </message>
    <message>
        <source>Right-click a card → Pin. Press Tab to switch between Recent and Pinned.</source>
        <translation>Rechtsklick auf eine Karte → Anheften. Mit Tab wechseln Sie zwischen „Neueste“ und „Angeheftet“.</translation>
    </message>
    <message>
        <source>You&apos;re all set</source>
        <translation>Alles bereit</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
</context>
<context>
    <name>RelativeTime</name>
    <message>
        <source>1 second ago</source>
        <translation>vor 1 Sekunde</translation>
    </message>
    <message numerus="yes">
        <source>%n seconds ago</source>
        <translation>
            <numerusform>vor %n Sekunde</numerusform>
            <numerusform>vor %n Sekunden</numerusform>
        </translation>
    </message>
    <message>
        <source>in 1 second</source>
        <translation>in 1 Sekunde</translation>
    </message>
    <message numerus="yes">
        <source>in %n seconds</source>
        <translation>
            <numerusform>in %n Sekunde</numerusform>
            <numerusform>in %n Sekunden</numerusform>
        </translation>
    </message>
    <message>
        <source>1 minute ago</source>
        <translation>vor 1 Minute</translation>
    </message>
    <message numerus="yes">
        <source>%n minutes ago</source>
        <translation>
            <numerusform>vor %n Minute</numerusform>
            <numerusform>vor %n Minuten</numerusform>
        </translation>
    </message>
    <message>
        <source>in 1 minute</source>
        <translation>in 1 Minute</translation>
    </message>
    <message numerus="yes">
        <source>in %n minutes</source>
        <translation>
            <numerusform>in %n Minute</numerusform>
            <numerusform>in %n Minuten</numerusform>
        </translation>
    </message>
    <message>
        <source>1 hour ago</source>
        <translation>vor 1 Stunde</translation>
    </message>
    <message numerus="yes">
        <source>%n hours ago</source>
        <translation>
            <numerusform>vor %n Stunde</numerusform>
            <numerusform>vor %n Stunden</numerusform>
        </translation>
    </message>
    <message>
        <source>in 1 hour</source>
        <translation>in 1 Stunde</translation>
    </message>
    <message numerus="yes">
        <source>in %n hours</source>
        <translation>
            <numerusform>in %n Stunde</numerusform>
            <numerusform>in %n Stunden</numerusform>
        </translation>
    </message>
    <message>
        <source>yesterday</source>
        <translation>gestern</translation>
    </message>
    <message numerus="yes">
        <source>%n days ago</source>
        <translation>
            <numerusform>vor %n Tag</numerusform>
            <numerusform>vor %n Tagen</numerusform>
        </translation>
    </message>
    <message>
        <source>tomorrow</source>
        <translation>morgen</translation>
    </message>
    <message numerus="yes">
        <source>in %n days</source>
        <translation>
            <numerusform>in %n Tag</numerusform>
            <numerusform>in %n Tagen</numerusform>
        </translation>
    </message>
    <message>
        <source>last week</source>
        <translation>letzte Woche</translation>
    </message>
    <message numerus="yes">
        <source>%n weeks ago</source>
        <translation>
            <numerusform>vor %n Woche</numerusform>
            <numerusform>vor %n Wochen</numerusform>
        </translation>
    </message>
    <message>
        <source>next week</source>
        <translation>nächste Woche</translation>
    </message>
    <message numerus="yes">
        <source>in %n weeks</source>
        <translation>
            <numerusform>in %n Woche</numerusform>
            <numerusform>in %n Wochen</numerusform>
        </translation>
    </message>
    <message>
        <source>last month</source>
        <translation>letzten Monat</translation>
    </message>
    <message numerus="yes">
        <source>%n months ago</source>
        <translation>
            <numerusform>vor %n Monat</numerusform>
            <numerusform>vor %n Monaten</numerusform>
        </translation>
    </message>
    <message>
        <source>next month</source>
        <translation>nächsten Monat</translation>
    </message>
    <message numerus="yes">
        <source>in %n months</source>
        <translation>
            <numerusform>in %n Monat</numerusform>
            <numerusform>in %n Monaten</numerusform>
        </translation>
    </message>
    <message>
        <source>last year</source>
        <translation>letztes Jahr</translation>
    </message>
    <message numerus="yes">
        <source>%n years ago</source>
        <translation>
            <numerusform>vor %n Jahr</numerusform>
            <numerusform>vor %n Jahren</numerusform>
        </translation>
    </message>
    <message>
        <source>next year</source>
        <translation>nächstes Jahr</translation>
    </message>
    <message numerus="yes">
        <source>in %n years</source>
        <translation>
            <numerusform>in %n Jahr</numerusform>
            <numerusform>in %n Jahren</numerusform>
        </translation>
    </message>
    <message>
        <source>now</source>
        <translation>jetzt</translation>
    </message>
</context>
<context>
    <name>SettingsWindowController</name>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Permissions</source>
        <translation>Berechtigungen</translation>
    </message>
    <message>
        <source>Clipboard</source>
        <translation>Zwischenablage</translation>
    </message>
</context>
<context>
    <name>ShortcutStep</name>
    <message>
        <source>Press it anywhere to see your clipboard. Click the field and type a new combination, or keep ⇧⌘V.</source>
        <translation>Drücken Sie es überall, um Ihre Zwischenablage zu sehen. Klicken Sie in das Feld und tippen Sie eine neue Kombination, oder behalten Sie ⇧⌘V.</translation>
    </message>
    <message>
        <source>Show clipboard:</source>
        <translation>Zwischenablage zeigen:</translation>
    </message>
    <message>
        <source>Choose your shortcut</source>
        <translation>Wählen Sie Ihr Tastenkürzel</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
</context>
<context>
    <name>TrayMenu</name>
    <message>
        <source>Show Clipboard</source>
        <translation>Zwischenablage zeigen</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Aktualisierungen suchen …</translation>
    </message>
    <message>
        <source>About Velloq</source>
        <translation>Über Velloq</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen …</translation>
    </message>
    <message>
        <source>How to Use</source>
        <translation>So geht’s</translation>
    </message>
    <message>
        <source>Documentation</source>
        <translation>Dokumentation</translation>
    </message>
    <message>
        <source>Send Feedback</source>
        <translation>Rückmeldung senden</translation>
    </message>
    <message>
        <source>More by Tarnbrook Software</source>
        <translation>Mehr von Tarnbrook Software</translation>
    </message>
    <message>
        <source>Quit Velloq</source>
        <translation>Velloq beenden</translation>
    </message>
</context>
<context>
    <name>UpdateFeed</name>
    <message>
        <source>The update information could not be read.</source>
        <translation>Die Informationen zur Aktualisierung konnten nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The update information names no version.</source>
        <translation>Die Informationen zur Aktualisierung nennen keine Version.</translation>
    </message>
</context>
<context>
    <name>UpdateManager</name>
    <message>
        <source>The update address is not a secure web address.</source>
        <translation>Die Adresse für Aktualisierungen ist keine sichere Webadresse.</translation>
    </message>
    <message>
        <source>The update check could not be started.</source>
        <translation>Die Suche nach Aktualisierungen konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>The update check failed.</source>
        <translation>Die Suche nach Aktualisierungen ist fehlgeschlagen.</translation>
    </message>
</context>
<context>
    <name>WaylandKeyboard</name>
    <message>
        <source>Pastes the clipboard entry you pick into the window you were typing in.</source>
        <translation>Fügt den gewählten Eintrag der Zwischenablage in das Fenster ein, in dem Sie geschrieben haben.</translation>
    </message>
</context>
<context>
    <name>WaylandPlatform</name>
    <message>
        <source>This desktop does not let clipboard managers watch the clipboard, so Velloq cannot record new copies here. Your history and the velloq commands still work; in an X11 session Velloq records every copy.</source>
        <translation>Diese Arbeitsumgebung lässt Zwischenablage-Verwalter die Zwischenablage nicht beobachten, daher kann Velloq hier keine neuen Kopien aufnehmen. Ihr Verlauf und die velloq-Befehle funktionieren weiterhin; in einer X11-Sitzung nimmt Velloq jede Kopie auf.</translation>
    </message>
    <message>
        <source>This desktop does not let applications type into other windows, so a picked card is copied and you press ⌃V yourself.</source>
        <translation>Diese Arbeitsumgebung lässt Anwendungen nicht in andere Fenster tippen, daher wird eine gewählte Karte kopiert und Sie drücken ⌃V selbst.</translation>
    </message>
    <message>
        <source>KDE Plasma lets only the installed Velloq (/usr/bin/velloq, as the application menu starts it) type into other windows, and this one runs from %1. Until then a picked card is copied and you press ⌃V yourself.</source>
        <translation>KDE Plasma lässt nur das installierte Velloq (/usr/bin/velloq, wie das Anwendungsmenü es startet) in andere Fenster tippen, und dieses läuft aus %1. Bis dahin wird eine gewählte Karte kopiert und Sie drücken ⌃V selbst.</translation>
    </message>
    <message>
        <source>On GNOME, Velloq sees your copies through its GNOME Shell extension, which is not turned on. Turn it on with “gnome-extensions enable %1” (GNOME loads a newly installed extension at your next log-in), then start Velloq again. Until then Velloq records no new copies; your history and the velloq commands still work.</source>
        <translation>Unter GNOME sieht Velloq Ihre Kopien über seine GNOME-Shell-Erweiterung, die nicht eingeschaltet ist. Schalten Sie sie mit „gnome-extensions enable %1“ ein (GNOME lädt eine neu installierte Erweiterung bei Ihrer nächsten Anmeldung) und starten Sie Velloq dann neu. Bis dahin zeichnet Velloq keine neuen Kopien auf; Ihr Verlauf und die velloq-Befehle funktionieren weiterhin.</translation>
    </message>
    <message>
        <source>On GNOME, Velloq types into other windows through its GNOME Shell extension, which is not turned on: run “gnome-extensions enable %1” (GNOME loads a newly installed extension at your next log-in). Until then a picked card is copied and you press ⌃V yourself.</source>
        <translation>Unter GNOME tippt Velloq über seine GNOME-Shell-Erweiterung in andere Fenster, die nicht eingeschaltet ist: Führen Sie „gnome-extensions enable %1“ aus (GNOME lädt eine neu installierte Erweiterung bei Ihrer nächsten Anmeldung). Bis dahin wird eine gewählte Karte kopiert, und Sie drücken selbst ⌃V.</translation>
    </message>
</context>
<context>
    <name>WelcomeStep</name>
    <message>
        <source>Your clipboard at a glance. Everything you copy shows up as large cards on one screen — click one to paste it, or drag it anywhere.</source>
        <translation>Ihre Zwischenablage auf einen Blick. Alles, was Sie kopieren, erscheint als große Karten auf einem Bildschirm – klicken Sie eine an, um sie einzufügen, oder ziehen Sie sie irgendwohin.</translation>
    </message>
    <message>
        <source>Get Started</source>
        <translation>Los geht’s</translation>
    </message>
</context>
</TS>
