#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: the input as Qt bytes, the way a broken
// invariant ends a run, readable failure messages and the one application
// object of a run.
namespace fuzz {

// The input without a copy: reading past its end is caught at once, since
// nothing follows libFuzzer's buffer.
inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Ends the run: libFuzzer reports the abort as a crash and keeps the input.
[[noreturn]] inline void fail(const char* what, const QString& details = {}) {
    std::fprintf(stderr, "\n==fuzz== %s\n%s\n", what, details.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

// Printable ASCII as it is, every other UTF-16 unit as \uXXXX, so that
// differences a terminal would hide (lone surrogates, controls) show.
inline QString visible(const QString& text) {
    QString out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7f && u != u'\\')
            out.append(c);
        else
            out.append(QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0')));
    }
    return out;
}

inline QString visible(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' '));
}

namespace detail {
inline void criticalMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}
} // namespace detail

// Drops Qt's debug, info and warning messages: warnings about malformed
// input (a broken picture, an unreadable file) come by the million here.
// Critical and fatal messages still print, and a fatal one still aborts.
inline void quietWarnings() {
    qInstallMessageHandler(detail::criticalMessagesOnly);
}

// The run's QCoreApplication, for targets whose code needs one (image
// plugins, file watchers). Call once, from LLVMFuzzerInitialize.
inline void startApplication(const char* name) {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>(name), nullptr};
    static QCoreApplication application(argc, argv);
}

// The run's QGuiApplication on the offscreen platform, for targets that lay
// out documents (fonts need one). Call once, from LLVMFuzzerInitialize.
inline void startGuiApplication(const char* name) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char* argv[] = {const_cast<char*>(name), nullptr};
    static QGuiApplication application(argc, argv);
}

// Fails unless `text` is valid UTF-16 without NULs; `nul` and `surrogate`
// say which fault was found.
inline void checkText(const QString& text, const char* nul, const char* surrogate) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isNull())
            fail(nul, visible(text));
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            fail(surrogate, visible(text));
    }
}

} // namespace fuzz
