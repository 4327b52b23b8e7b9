#include "PrivateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr QFile::Permissions ownerOnlyFolder = QFile::ReadOwner | QFile::WriteOwner |
                                               QFile::ExeOwner | QFile::ReadUser |
                                               QFile::WriteUser | QFile::ExeUser;
constexpr QFile::Permissions ownerOnlyFile =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;

} // namespace

bool createPrivateFolder(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    if (!QDir().mkdir(path))
        return QFileInfo(path).isDir();
    return QFile::setPermissions(path, ownerOnlyFolder);
}

bool writePrivateFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!file.setPermissions(ownerOnlyFile) || file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool keepUnreadableFileAside(const QString& path) {
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString base = path + QStringLiteral(".unreadable-") + stamp;
    QString target = base;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = base + u'-' + QString::number(n);
    return QFile::rename(path, target) || !QFileInfo::exists(path);
}
