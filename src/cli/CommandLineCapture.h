#pragma once

#include "history/ClipContent.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>

// What `velloq add` was asked to add, turned into clip content. Input that
// cannot become a clip (an unreadable file, text that is not UTF-8, an
// invalid URL) is refused with a message instead.
class CommandLineCapture {
public:
    struct Request {
        std::optional<QString> link;
        bool files = false;
        QStringList paths;
        std::optional<QString> imagePath;
        std::optional<QString> rtfPath;
        std::optional<QString> plain;
    };

    struct Refusal {
        QString message;
        bool isUsageError = false;
    };

    using Result = std::variant<ClipContent, Refusal>;

    static Result content(const Request& request,
                          const std::function<QByteArray()>& readStandardInput);

private:
    static Result text(const QByteArray& input);
    static Result link(const QString& text);
    static Result files(const QStringList& paths);
    static Result image(const QString& path);
    static Result richText(const QString& rtfPath, const QString& plain);
};
