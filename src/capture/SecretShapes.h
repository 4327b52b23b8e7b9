#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Copies whose whole text has the shape of a secret: private keys, the
// tokens of well-known services and payment-card numbers. Password
// managers mark their copies; a password field, a terminal or a key file
// does not, so these are recognised by what they look like. Each rule
// looks for one exact form, so that ordinary text, commit hashes, UUIDs and
// long numbers are never taken for one.
class SecretShapes {
public:
    struct Rule {
        QString name;
        bool (*matches)(QStringView text);
    };

    SecretShapes() = delete;

    static const QList<Rule>& rules();
    // The name of the first rule the text (without surrounding white space)
    // matches; none for an ordinary copy.
    static std::optional<QString> matchedRule(const QString& text);

    // The Luhn check digit test of a run of digits.
    static bool passesLuhn(QStringView digits);
};
