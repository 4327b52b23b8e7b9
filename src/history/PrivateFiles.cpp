#include "PrivateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Opens `path` without waiting; the descriptor (or -1) and its size when it
// is a regular file of at most `maxBytes`.
int openRegularFile(const QString& path, qint64 maxBytes, qint64& size) {
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > maxBytes) {
        ::close(descriptor);
        return -1;
    }
    size = status.st_size;
    return descriptor;
}

} // namespace

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes) {
    qint64 size = 0;
    const int descriptor = openRegularFile(path, maxBytes, size);
    if (descriptor < 0)
        return std::nullopt;
    std::optional<QByteArray> bytes;
    QFile file;
    // Read one byte past the size: a file that grew since is refused too.
    if (file.open(descriptor, QIODevice::ReadOnly)) {
        QByteArray read = file.read(size + 1);
        if (read.size() <= size)
            bytes = std::move(read);
    }
    file.close();
    ::close(descriptor);
    return bytes;
}

std::optional<RegularFileStart> readRegularFileStart(const QString& path, qint64 maxBytes,
                                                     qint64 count) {
    RegularFileStart start;
    const int descriptor = openRegularFile(path, maxBytes, start.size);
    if (descriptor < 0)
        return std::nullopt;
    QFile file;
    if (file.open(descriptor, QIODevice::ReadOnly))
        start.bytes = file.read(count);
    file.close();
    ::close(descriptor);
    return start;
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
