#include "CommandSyntax.h"

#include <algorithm>

using namespace Qt::StringLiterals;

bool CommandSyntax::isApplicationLaunch(const QStringList& arguments) {
    return arguments.isEmpty() || arguments.first().startsWith(u'-');
}

bool CommandSyntax::isHelp(const QStringList& arguments) {
    const QString first = arguments.value(0);
    return first == "--help"_L1 || first == "-h"_L1 || first == "help"_L1;
}

bool CommandSyntax::isVersion(const QStringList& arguments) {
    return arguments.value(0) == "--version"_L1;
}

bool CommandSyntax::readsStandardInput(const QStringList& arguments) {
    if (arguments.value(0) != "add"_L1)
        return false;
    for (const QString& option : {u"--link"_s, u"--file"_s, u"--image"_s, u"--rtf"_s}) {
        if (arguments.contains(option) ||
            std::any_of(arguments.cbegin(), arguments.cend(),
                        [&](const QString& a) { return a.startsWith(option + u'='); }))
            return false;
    }
    return true;
}

QString CommandSyntax::usage() {
    return uR"(Usage: velloq [COMMAND] [--data-dir DIR]

Without a command, Velloq starts. Commands work on the clipboard history:
  list [--json] [--limit N]   the whole history, newest first
  search QUERY [--json]       entries whose text contains QUERY
  add                         add text read from standard input
  add --link URL              add a web link
  add --file PATH...          add a list of files
  add --image FILE            add an image (stored as PNG)
  add --rtf FILE --plain TEXT add rich text with its plain form
  pin ID | unpin ID           pin or unpin an entry
  delete ID                   delete an entry
  clear                       delete every entry, pinned ones too
  copy ID [--plain]           put an entry on the clipboard (Velloq running)
  paste ID [--plain]          paste an entry into the application in front
                              (Velloq running); --plain: as plain text only
  show                        open the card overlay (Velloq running)
  toggle                      open the card overlay, or close it when open;
                              bind it to a key in your desktop's settings
  settings                    open the settings window (Velloq running)
  menu                        open Velloq's menu at the pointer, for desktops
                              without a tray (Velloq running)

ID is an entry's id or a unique prefix of at least 8 characters.
Exit codes: 0 done, 1 failed, 2 bad arguments, 3 history busy.
)"_s;
}
