#include "SecretShapes.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

bool matchesWhole(QStringView text, const QRegularExpression& pattern) {
    return pattern.match(text.toString()).hasMatch();
}

bool privateKey(QStringView text) {
    static const QRegularExpression pattern(
        uR"(^-----BEGIN ((RSA|EC|DSA|OPENSSH|ENCRYPTED|PGP) )?PRIVATE KEY( BLOCK)?-----\s+)"
        uR"([\s\S]+\s-----END ((RSA|EC|DSA|OPENSSH|ENCRYPTED|PGP) )?PRIVATE KEY( BLOCK)?-----$)"_s);
    return matchesWhole(text, pattern);
}

bool cloudAccessKey(QStringView text) {
    // AWS access key ids; Google API keys.
    static const QRegularExpression pattern(
        uR"(^(?:(?:AKIA|ASIA|AGPA|AIDA|AROA)[A-Z2-7]{16}|AIza[0-9A-Za-z_\-]{35})$)"_s);
    return matchesWhole(text, pattern);
}

bool sourceHostingToken(QStringView text) {
    // GitHub's classic and fine-grained tokens, GitLab's personal tokens.
    static const QRegularExpression pattern(
        uR"(^(?:gh[pousr]_[A-Za-z0-9]{36,255}|github_pat_[A-Za-z0-9_]{22,255}|glpat-[A-Za-z0-9_\-]{20,})$)"_s);
    return matchesWhole(text, pattern);
}

bool chatBotToken(QStringView text) {
    // Slack's bot, user and app tokens; Telegram's bot tokens.
    static const QRegularExpression pattern(
        uR"(^(?:xox[abposr]-[0-9A-Za-z\-]{10,}|xapp-\d-[0-9A-Za-z\-]{10,}|\d{8,10}:[A-Za-z0-9_\-]{35})$)"_s);
    return matchesWhole(text, pattern);
}

bool paymentKey(QStringView text) {
    static const QRegularExpression pattern(uR"(^(?:sk|rk)_live_[0-9A-Za-z]{20,}$)"_s);
    return matchesWhole(text, pattern);
}

// Three base64url parts whose first decodes to a JSON header naming its
// algorithm: a signed token, not any text with two dots.
bool jsonWebToken(QStringView text) {
    static const QRegularExpression pattern(
        uR"(^(eyJ[A-Za-z0-9_\-]{10,})\.eyJ[A-Za-z0-9_\-]{10,}\.[A-Za-z0-9_\-]{10,}$)"_s);
    const QRegularExpressionMatch match = pattern.match(text.toString());
    if (!match.hasMatch())
        return false;
    const QByteArray header =
        QByteArray::fromBase64(match.captured(1).toLatin1(),
                               QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    const QJsonDocument json = QJsonDocument::fromJson(header);
    return json.isObject() && json.object().contains(u"alg"_s);
}

// 13 to 19 digits, in groups of spaces or dashes, of a card issuer's range,
// with a valid check digit.
bool paymentCard(QStringView text) {
    static const QRegularExpression pattern(uR"(^\d{4}(?:[ \-]?\d{1,4}){2,4}$)"_s);
    if (!matchesWhole(text, pattern))
        return false;
    QString digits = text.toString();
    digits.remove(u' ').remove(u'-');
    static const QRegularExpression issuer(
        uR"(^(?:4\d{12}(?:\d{3}){0,2}|5[1-5]\d{14}|2[2-7]\d{14}|3[47]\d{13}|6(?:011|5\d\d)\d{12,15}|35\d{14,17})$)"_s);
    return matchesWhole(digits, issuer) && SecretShapes::passesLuhn(digits);
}

} // namespace

const QList<SecretShapes::Rule>& SecretShapes::rules() {
    static const QList<Rule> table = {
        {u"private key"_s, privateKey},
        {u"cloud access key"_s, cloudAccessKey},
        {u"source-hosting token"_s, sourceHostingToken},
        {u"chat-bot token"_s, chatBotToken},
        {u"payment-service key"_s, paymentKey},
        {u"JSON web token"_s, jsonWebToken},
        {u"payment card number"_s, paymentCard},
    };
    return table;
}

std::optional<QString> SecretShapes::matchedRule(const QString& text) {
    const QStringView trimmed = QStringView(text).trimmed();
    // A secret is a line or a key block, never a page of text.
    if (trimmed.isEmpty() || trimmed.size() > 16 * 1024)
        return std::nullopt;
    for (const Rule& rule : rules()) {
        if (rule.matches(trimmed))
            return rule.name;
    }
    return std::nullopt;
}

bool SecretShapes::passesLuhn(QStringView digits) {
    int sum = 0;
    bool doubled = false;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (!digits[i].isDigit())
            return false;
        int digit = digits[i].digitValue();
        if (doubled && (digit *= 2) > 9)
            digit -= 9;
        sum += digit;
        doubled = !doubled;
    }
    return !digits.isEmpty() && sum % 10 == 0;
}
