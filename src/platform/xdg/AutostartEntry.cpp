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

// How the installed entry starts the program: by its name, found on PATH.
constexpr auto installedCommand = "Exec=velloq"_L1;

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

QString AutostartEntry::earlierPath() const {
    return m_folder + u'/' + QLatin1StringView(earlierFileName);
}

QString AutostartEntry::applicationEntry() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(xdg);
        return true;
    }();
    Q_UNUSED(registered);
    QFile file(u":/xdg/"_s + QLatin1StringView(fileName));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every command runs this program by its path; the desktop waits a moment
// before starting it and may switch it off.
QString AutostartEntry::entryText(const QString& executable) {
    QStringList lines;
    bool inMainGroup = false;
    const auto endMainGroup = [&] {
        if (!inMainGroup)
            return;
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        lines << u"X-GNOME-Autostart-enabled=true"_s
              << u"X-GNOME-Autostart-Delay=%1"_s.arg(startDelaySeconds) << QString();
        inMainGroup = false;
    };
    for (const QString& line : applicationEntry().split(u'\n')) {
        if (line.startsWith(u'[')) {
            endMainGroup();
            inMainGroup = line == "[Desktop Entry]"_L1;
        }
        if (line.startsWith(installedCommand))
            lines << u"Exec="_s + execArgument(executable) + line.mid(installedCommand.size());
        else
            lines << line;
    }
    endMainGroup();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(u'\n') + u'\n';
}

AutostartEntry::Status AutostartEntry::status() const {
    if (m_executable.isEmpty() || m_executable.contains(u'\n'))
        return Status::notFound;
    QFile file(QFile::exists(path()) ? path() : earlierPath());
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
    if (!file.commit())
        return false;
    QFile::remove(earlierPath());
    return true;
}

bool AutostartEntry::unregisterEntry() const {
    bool removed = true;
    for (const QString& entry : {path(), earlierPath()})
        removed = (!QFile::exists(entry) || QFile::remove(entry)) && removed;
    return removed;
}
