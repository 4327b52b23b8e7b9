#include "AutostartEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

// An argument of Exec: quoted, with the characters special inside quotes
// escaped, then escaped once more as a desktop entry string, and field
// codes' percent signs doubled.
QString execArgument(const QString& argument) {
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u"\\"_s, u"\\\\"_s);
    quoted.replace(u"%"_s, u"%%"_s);
    return u'"' + quoted + u'"';
}

bool isSwitchedOff(const QString& entry) {
    for (QString line : entry.split(u'\n')) {
        line = line.trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if ((key == "Hidden"_L1 && value == "true"_L1) ||
            (key == "X-GNOME-Autostart-enabled"_L1 && value == "false"_L1))
            return true;
    }
    return false;
}

} // namespace

AutostartEntry::AutostartEntry(QString folder, QString executable)
    : m_folder(std::move(folder)), m_executable(std::move(executable)) {}

QString AutostartEntry::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/autostart"_L1;
}

QString AutostartEntry::runningProgram() {
    return QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
}

QString AutostartEntry::path() const {
    return m_folder + u'/' + QLatin1StringView(fileName);
}

QString AutostartEntry::entryText(const QString& executable) {
    return u"[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Velloq\n"
           "Comment=Clipboard history\n"
           "Exec=%1\n"
           "Icon=velloq\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n"_s.arg(execArgument(executable));
}

AutostartEntry::Status AutostartEntry::status() const {
    if (m_executable.isEmpty() || m_executable.contains(u'\n'))
        return Status::notFound;
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return Status::notRegistered;
    // A few lines; anything larger is not ours to read.
    return isSwitchedOff(QString::fromUtf8(file.read(64 * 1024))) ? Status::notRegistered
                                                                  : Status::enabled;
}

bool AutostartEntry::registerEntry() const {
    if (status() == Status::notFound || !QDir().mkpath(m_folder))
        return false;
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write(entryText(m_executable).toUtf8());
    return file.commit();
}

bool AutostartEntry::unregisterEntry() const {
    return !QFile::exists(path()) || QFile::remove(path());
}
