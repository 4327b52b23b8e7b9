#pragma once

#include <QLocale>

class QCoreApplication;

// Every text in the user's language: Velloq's own translation and Qt's (the
// standard buttons), chosen by the locale's languages ($LANGUAGE first).
// English, the language of the source, needs no file.
class Translations {
public:
    Translations() = delete;

    // Installs the translations for `locale` that exist; returns whether
    // Velloq's own was among them.
    static bool install(QCoreApplication& app, const QLocale& locale = QLocale::system());
};
