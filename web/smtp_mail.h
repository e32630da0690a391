#pragma once
// One plain-text mail: composed as a UTF-8 MIME message and handed to a mail
// server over SMTP (libcurl). Never through a proxy: the environment's proxy
// variables and ZERAVUDEZ_PROXY apply to web pages only.

#include <string>
#include <string_view>
#include <vector>

namespace zv {

struct MailMessage
{
    std::string from; // bare addresses local@domain
    std::vector<std::string> to;
    std::string subject; // UTF-8
    std::string body; // UTF-8, lines separated by "\n" or "\r\n"
    std::string date; // the Date header, e.g. "Thu, 10 Dec 2026 09:30:00 +0800"
    std::string messageId; // without angle brackets
};

// The header's text as RFC 2047 encoded words (UTF-8, base64) when it holds
// anything but printable ASCII or is too long for one line, folded so that no
// line passes 76 characters; the text itself otherwise. A UTF-8 character is
// never split between two words.
std::string encodedHeaderText(std::string_view utf8);

// The whole message, every line ending in CR LF: From, To, Subject, Date,
// Message-ID, MIME-Version, a text/plain UTF-8 content type and a base64 body
// (so that any text passes any server, whatever its line lengths).
std::string composeMail(const MailMessage& message);

struct SmtpDelivery
{
    std::string url; // smtp://host[:port] or smtps://host[:port]
    std::string user; // empty: no login
    std::string password;
    std::string from;
    std::vector<std::string> to;
    std::string message; // as composeMail writes it
};

// Sends the message. "" when the server took it, else one line saying why not,
// which never holds the password. A login over smtp:// requires STARTTLS, so
// that the password never crosses the network in the clear.
std::string sendMail(const SmtpDelivery& delivery);

} // namespace zv
