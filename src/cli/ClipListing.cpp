#include "ClipListing.h"

#include "history/Overloaded.h"

using namespace Qt::StringLiterals;

namespace {

QString imageDescription(const ImageContent& image) {
    const QSize size = image.pixelSize();
    const QString kilobytes = QString::number((image.byteSize() + 1023) / 1024);
    if (!size.isValid())
        return u"image, %1 KB"_s.arg(kilobytes);
    return u"image %1×%2, %3 KB"_s.arg(size.width()).arg(size.height()).arg(kilobytes);
}

QString rawPreview(const ClipContent& content) {
    return std::visit(Overloaded{
                          [](const TextContent& c) { return c.text; },
                          [](const RichTextContent& c) { return c.plain; },
                          [](const ImageContent& c) { return imageDescription(c); },
                          [](const FilesContent& c) {
                              QStringList names;
                              for (const QUrl& url : c.urls)
                                  names.append(lastPathComponent(url));
                              return names.join(", "_L1);
                          },
                          [](const LinkContent& c) { return absoluteString(c.url); },
                      },
                      content);
}

// Characters a terminal would act on rather than show: C0 and C1 controls,
// DEL, and the bidirectional overrides that reorder what follows them.
bool isTerminalControl(char16_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}

QString visibleForm(char16_t c) {
    if (c == 0x1b)
        return u"\\e"_s;
    if (c < 0x20)
        return QString(QChar(char16_t(0x2400 + c))); // ␀, ␇, …
    if (c == 0x7f)
        return u"␡"_s;
    return u"\\u%1"_s.arg(int(c), 4, 16, QLatin1Char('0'));
}

} // namespace

QString ClipListing::visible(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (isTerminalControl(c.unicode()))
            shown += visibleForm(c.unicode());
        else
            shown += c;
    }
    return shown;
}

QString ClipListing::preview(const ClipItem& item, qsizetype maxLength) {
    // Only a bounded head is looked at, so a megabyte of text costs nothing.
    QString text = rawPreview(item.content).left(maxLength * 4).simplified();
    if (text.size() > maxLength)
        text = text.left(maxLength - 1) + u'…';
    return visible(text);
}

QString ClipListing::plainLine(qsizetype position, const ClipItem& item) {
    const QString pinMark = item.isPinned ? u"*"_s : u" "_s;
    return QString::number(position).rightJustified(3) + "  "_L1 + idText(item.id).left(8) +
           "  "_L1 + kindName(item.content).leftJustified(8) + "  "_L1 + pinMark + "  "_L1 +
           preview(item);
}

ClipListing::IdLookup ClipListing::findId(const QList<ClipItem>& items, const QString& text) {
    const QString prefix = text.trimmed().toUpper();
    if (prefix.size() < 8)
        return TooShort{};
    QList<QUuid> matches;
    for (const ClipItem& item : items) {
        if (idText(item.id).startsWith(prefix) && !matches.contains(item.id))
            matches.append(item.id);
    }
    if (matches.isEmpty())
        return NoMatch{};
    if (matches.size() > 1)
        return Ambiguous{matches.size()};
    return matches.first();
}
