#include "HistoryFolder.h"

#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

QString HistoryFolder::of(const QStringList& arguments) {
    const qsizetype option = arguments.indexOf(u"--data-dir"_s);
    if (option >= 0 && option + 1 < arguments.size())
        return QDir::cleanPath(QDir(arguments[option + 1]).absolutePath());
    return userDefault();
}

QString HistoryFolder::userDefault() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty())
        return data + "/Velloq"_L1;
    return QDir::tempPath() + "/Velloq"_L1;
}

QString HistoryFolder::lockPath(const QString& folder) {
    return folder + "/.lock"_L1;
}
