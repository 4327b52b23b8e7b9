#pragma once

#include <QString>

#include <optional>

// The text recognised in a picture, kept in a file beside its PNG
// ("<id>.txt" next to "<id>.png"), private like the picture. An empty file
// means the picture was read and shows no text (or could not be read), so
// it is not read again.
namespace PictureText {

QString pathFor(const QString& pngPath);
// nullopt while the picture has not been recognised.
std::optional<QString> read(const QString& pngPath);
bool write(const QString& pngPath, const QString& text);
void remove(const QString& pngPath);

// Larger outputs of the helper are cut here.
constexpr qint64 maximumBytes = 256 * 1024;

} // namespace PictureText
