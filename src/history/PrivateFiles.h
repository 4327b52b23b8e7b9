#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Clipboard history and settings are private to the user: folders are made
// with mode 0700 and files written with mode 0600, whatever the umask.

// Creates `path` (and missing parents, which keep the usual mode); a folder
// that this call creates gets mode 0700. Returns whether the folder exists.
bool createPrivateFolder(const QString& path);

// Reads a regular file of at most `maxBytes`. Anything else (a FIFO, a
// device, a folder, a larger file) gives nothing, and nothing here waits:
// the file is opened without blocking and checked before it is read.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

// The size and the first `count` bytes of a regular file of at most
// `maxBytes`, read as readRegularFile reads it.
struct RegularFileStart {
    qint64 size = 0;
    QByteArray bytes;
};
std::optional<RegularFileStart> readRegularFileStart(const QString& path, qint64 maxBytes,
                                                     qint64 count);

// Writes `bytes` to a temporary file beside `path` and renames it into place,
// so readers see either the old or the new file, never a partial one.
bool writePrivateFileAtomically(const QString& path, const QByteArray& bytes);

// Renames an unreadable file to "<name>.unreadable-<UTC time>" beside it, so
// that the next write does not destroy what the user may want to recover.
// True when nothing is left in the way (also when the file is already gone).
bool keepUnreadableFileAside(const QString& path);
