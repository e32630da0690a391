#include "app/configuration.h"

#include "view/query_view.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace zv {

namespace {

// A whole number from least to most, in digits only and no longer than most
// is written.
std::optional<int> parseDigits(QStringView text, int least, int most)
{
    if (text.isEmpty() || text.size() > QString::number(most).size())
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < least || value > most)
        return std::nullopt;
    return value;
}

std::optional<int> parseSeconds(QStringView text)
{
    return parseDigits(text, 0, kLongestPauseSeconds);
}

bool isHostLabel(QStringView label)
{
    if (label.isEmpty() || label.size() > 63 || label.startsWith(u'-') || label.endsWith(u'-'))
        return false;
    for (QChar c : label) {
        const bool letterOrDigit
            = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-';
        if (!letterOrDigit)
            return false;
    }
    return true;
}

bool isHostName(QStringView host)
{
    if (host.size() > 253)
        return false;
    for (QStringView label : host.split(u'.')) {
        if (!isHostLabel(label))
            return false;
    }
    return true;
}

bool isBracketedIpv6(QStringView host)
{
    if (host.size() < 4 || !host.startsWith(u'[') || !host.endsWith(u']'))
        return false;
    for (QChar c : host.mid(1, host.size() - 2)) {
        const bool hexOrColon = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')
            || c == u':' || c == u'.';
        if (!hexOrColon)
            return false;
    }
    return true;
}

// A setting as text; QSettings turns a value with unquoted commas into a list.
QString settingText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

// The settings file may name no password, and no problem line may show one:
// a URL that carries a login is refused without being repeated.
bool isSmtpUrl(QStringView text)
{
    QStringView rest;
    if (text.startsWith(u"smtp://"))
        rest = text.mid(7);
    else if (text.startsWith(u"smtps://"))
        rest = text.mid(8);
    else
        return false;
    if (rest.endsWith(u'/'))
        rest.chop(1);
    if (rest.isEmpty() || rest.contains(u'/') || rest.contains(u'@'))
        return false;
    return isProxyAddress(rest) || isHostName(rest) || (rest.startsWith(u'[') && isBracketedIpv6(rest));
}

bool isOneLine(QStringView text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

} // namespace

bool isMailAddress(QStringView text)
{
    const qsizetype at = text.indexOf(u'@');
    if (at <= 0 || at == text.size() - 1 || text.indexOf(u'@', at + 1) >= 0 || text.size() > 254)
        return false;
    for (QChar c : text) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f || QStringView(u"<>()[]\\,;:\"").contains(c))
            return false;
    }
    return true;
}

std::optional<PauseRange> parsePauseRange(QStringView text)
{
    const qsizetype dash = text.indexOf(u'-');
    const std::optional<int> first = parseSeconds(dash < 0 ? text : text.left(dash));
    if (!first)
        return std::nullopt;
    if (dash < 0)
        return PauseRange {*first, *first};
    const std::optional<int> second = parseSeconds(text.mid(dash + 1));
    if (!second || *second < *first)
        return std::nullopt;
    return PauseRange {*first, *second};
}

bool isEngineName(QStringView text)
{
    return !text.isEmpty() && !text.contains(u'/') && !text.startsWith(u'.');
}

bool isProxyAddress(QStringView text)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    const QStringView host = text.left(colon);
    const QStringView port = text.mid(colon + 1);
    if (port.isEmpty() || port.size() > 5)
        return false;
    int number = 0;
    for (QChar c : port) {
        if (c < u'0' || c > u'9')
            return false;
        number = number * 10 + (c.unicode() - u'0');
    }
    if (number < 1 || number > 65535)
        return false;
    return host.startsWith(u'[') ? isBracketedIpv6(host) : isHostName(host);
}

std::optional<int> parseSerpDepth(QStringView text)
{
    return parseDigits(text, kMinResultListDepth, kMaxResultListDepth);
}

Configuration readConfiguration(const QString& path)
{
    Configuration configuration;
    if (!QFileInfo::exists(path))
        return configuration;
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        configuration.problems.append(u"the file cannot be read"_s);
        return configuration;
    }
    for (const QString& key : settings.allKeys()) {
        const QString value = settingText(settings.value(key));
        if (key == u"proxy") {
            if (isProxyAddress(value))
                configuration.proxy = value;
            else
                configuration.problems.append(u"proxy=%1 is not host:port, ignored"_s.arg(value));
        } else if (key == u"pause") {
            configuration.pause = parsePauseRange(value);
            if (!configuration.pause)
                configuration.problems.append(
                    u"pause=%1 is not MIN-MAX seconds (0 to %2), ignored"_s.arg(value).arg(kLongestPauseSeconds));
        } else if (key == u"engine") {
            if (isEngineName(value))
                configuration.engine = value;
            else
                configuration.problems.append(u"engine=%1 is not a profile name, ignored"_s.arg(value));
        } else if (key == u"serp_depth") {
            configuration.serpDepth = parseSerpDepth(value);
            if (!configuration.serpDepth)
                configuration.problems.append(u"serp_depth=%1 is not a number from %2 to %3, ignored"_s.arg(value)
                                                  .arg(kMinResultListDepth)
                                                  .arg(kMaxResultListDepth));
        } else if (key == u"notify_moves") {
            bool ok = false;
            const int moves = value.toInt(&ok);
            if (ok && moves >= 1 && moves <= kMostNotifyMoves && !value.startsWith(u'+'))
                configuration.notifyMoves = moves;
            else
                configuration.problems.append(
                    u"notify_moves=%1 is not a number of places from 1 to %2, ignored"_s.arg(value).arg(
                        kMostNotifyMoves));
        } else if (key == u"mail_to") {
            QStringList addresses;
            for (const QString& part : value.split(u','))
                addresses.append(part.trimmed());
            if (std::all_of(addresses.begin(), addresses.end(), [](const QString& a) { return isMailAddress(a); }))
                configuration.mail.to = addresses;
            else
                configuration.problems.append(u"mail_to=%1 is not a list of mail addresses, ignored"_s.arg(value));
        } else if (key == u"mail_from") {
            if (isMailAddress(value))
                configuration.mail.from = value;
            else
                configuration.problems.append(u"mail_from=%1 is not a mail address, ignored"_s.arg(value));
        } else if (key == u"smtp_url") {
            if (isSmtpUrl(value))
                configuration.mail.smtpUrl = value;
            else
                configuration.problems.append(
                    u"smtp_url is not smtp://host[:port] or smtps://host[:port] without a login, ignored"_s);
        } else if (key == u"smtp_user") {
            if (!value.isEmpty() && isOneLine(value))
                configuration.mail.smtpUser = value;
            else
                configuration.problems.append(u"smtp_user is empty or not one line, ignored"_s);
        } else if (key == u"smtp_password_file") {
            if (!value.isEmpty() && isOneLine(value))
                configuration.mail.smtpPasswordFile = QFileInfo(path).absoluteDir().absoluteFilePath(value);
            else
                configuration.problems.append(u"smtp_password_file is empty or not one line, ignored"_s);
        } else {
            configuration.problems.append(u"unknown setting %1, ignored"_s.arg(key));
        }
    }
    return configuration;
}

QString problemsLine(const Configuration& configuration, const QString& path)
{
    if (configuration.problems.isEmpty())
        return {};
    return path + u": "_s + configuration.problems.join(u"; "_s);
}

bool applyConfiguredProxy(const Configuration& configuration)
{
    if (configuration.proxy.isEmpty() || qEnvironmentVariableIsSet("ZERAVUDEZ_PROXY"))
        return false;
    return qputenv("ZERAVUDEZ_PROXY", configuration.proxy.toUtf8());
}

} // namespace zv
