#include "app/digest_notices.h"

#include "web/smtp_mail.h"

#include <QDateTime>
#include <QFile>
#include <QUuid>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

constexpr std::size_t kMovesShown = 3;

// The first line of the password file, without its line end.
std::optional<QByteArray> readPassword(const QString& path, QString& problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = u"the password file %1 cannot be read"_s.arg(path);
        return std::nullopt;
    }
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

std::vector<std::string> utf8List(const QStringList& list)
{
    std::vector<std::string> out;
    for (const QString& item : list)
        out.push_back(item.toStdString());
    return out;
}

} // namespace

QString noticeTitle(const Digest& digest)
{
    return u"Zeravudez: "_s + sitesCheckedText(digest);
}

QString noticeBody(const Digest& digest)
{
    QStringList lines {countsText(digest)};
    for (const DigestChange& move : digest.largestMoves(kMovesShown))
        lines.append(u"%1 (%2): %3"_s.arg(move.keyword, move.site, changeRange(move)));
    return lines.join(u'\n');
}

QString mailSettingsProblem(const MailSettings& mail)
{
    QStringList missing;
    if (mail.to.isEmpty())
        missing.append(u"mail_to="_s);
    if (mail.smtpUrl.isEmpty())
        missing.append(u"smtp_url="_s);
    if (missing.isEmpty())
        return {};
    return u"--mail needs %1 in the settings file"_s.arg(missing.join(u" and "_s));
}

QString mailDigest(const Digest& digest, const MailSettings& mail)
{
    if (const QString problem = mailSettingsProblem(mail); !problem.isEmpty())
        return problem;
    SmtpDelivery delivery;
    delivery.url = mail.smtpUrl.toStdString();
    if (!mail.smtpUser.isEmpty()) {
        delivery.user = mail.smtpUser.toStdString();
        QString problem;
        const std::optional<QByteArray> password
            = mail.smtpPasswordFile.isEmpty() ? QByteArray() : readPassword(mail.smtpPasswordFile, problem);
        if (!password)
            return problem;
        delivery.password = password->toStdString();
    }
    delivery.from = (mail.from.isEmpty() ? mail.to.front() : mail.from).toStdString();
    delivery.to = utf8List(mail.to);

    MailMessage message;
    message.from = delivery.from;
    message.to = delivery.to;
    message.subject = (noticeTitle(digest) + u" — "_s + countsText(digest)).toStdString();
    // The block as printed, without its leading blank line.
    message.body = digestBlock(digest).mid(1).toStdString();
    message.date = QDateTime::currentDateTime().toString(Qt::RFC2822Date).toStdString();
    message.messageId = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString() + "@zeravudez";
    delivery.message = composeMail(message);
    return QString::fromStdString(sendMail(delivery));
}

} // namespace zv
