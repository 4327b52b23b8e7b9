#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

using namespace Qt::StringLiterals;

bool Translations::install(QCoreApplication& app, const QLocale& locale) {
    auto* own = new QTranslator(&app);
    const bool translated = own->load(locale, u"velloq"_s, u"_"_s, u":/i18n"_s);
    if (translated) {
        QCoreApplication::installTranslator(own);
        auto* qt = new QTranslator(&app);
        if (qt->load(locale, u"qtbase"_s, u"_"_s,
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
    } else {
        delete own;
    }
    return translated;
}
