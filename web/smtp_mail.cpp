#include "web/smtp_mail.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace zv {

namespace {

constexpr long kConnectTimeoutSeconds = 30;
constexpr long kSendTimeoutSeconds = 120;
// Encoded words are at most 75 characters: "=?UTF-8?B?" and "?=" leave 63 for
// base64, which holds 45 bytes of text.
constexpr std::size_t kBytesPerWord = 45;
constexpr std::size_t kBodyLineLength = 76;

std::string base64(std::string_view bytes)
{
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned value = 0;
        for (std::size_t k = 0; k < 3; ++k)
            value = value << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            out += k <= n ? digits[(value >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool needsEncoding(std::string_view text)
{
    // Room for "Subject: " on the first line of a 78-character header.
    if (text.size() > 60 || text.find("=?") != std::string_view::npos)
        return true;
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u >= 0x7f;
    });
}

// "\n" and "\r\n" both become CR LF; a lone CR too.
std::string withCrLf(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

// Addresses go into SMTP commands and headers: nothing that could end a line
// or a bracket.
bool isSafeAddress(const std::string& address)
{
    return !address.empty() && address.find_first_of("\r\n<>,") == std::string::npos;
}

std::string joined(const std::vector<std::string>& items, std::string_view separator)
{
    std::string out;
    for (const std::string& item : items) {
        if (!out.empty())
            out += separator;
        out += item;
    }
    return out;
}

struct EasyDeleter
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct Upload
{
    std::string_view rest;
};

std::size_t readUpload(char* buffer, std::size_t size, std::size_t count, void* user)
{
    auto* upload = static_cast<Upload*>(user);
    const std::size_t n = std::min(size * count, upload->rest.size());
    std::memcpy(buffer, upload->rest.data(), n);
    upload->rest.remove_prefix(n);
    return n;
}

} // namespace

std::string encodedHeaderText(std::string_view utf8)
{
    if (!needsEncoding(utf8))
        return std::string(utf8);
    std::string out;
    while (!utf8.empty()) {
        std::size_t take = std::min(kBytesPerWord, utf8.size());
        while (take < utf8.size() && take > 0 && isContinuationByte(utf8[take]))
            --take;
        if (take == 0) // a run of continuation bytes longer than a word: not UTF-8, cut anyway
            take = std::min(kBytesPerWord, utf8.size());
        if (!out.empty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + base64(utf8.substr(0, take)) + "?=";
        utf8.remove_prefix(take);
    }
    return out;
}

std::string composeMail(const MailMessage& message)
{
    std::string out;
    out += "From: Zeravudez <" + message.from + ">\r\n";
    out += "To: " + joined(message.to, ",\r\n ") + "\r\n";
    out += "Subject: " + encodedHeaderText(message.subject) + "\r\n";
    out += "Date: " + message.date + "\r\n";
    out += "Message-ID: <" + message.messageId + ">\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "\r\n";
    const std::string body = base64(withCrLf(message.body));
    for (std::size_t i = 0; i < body.size(); i += kBodyLineLength)
        out += body.substr(i, kBodyLineLength) + "\r\n";
    return out;
}

std::string sendMail(const SmtpDelivery& delivery)
{
    const bool secure = delivery.url.rfind("smtps://", 0) == 0;
    if (!secure && delivery.url.rfind("smtp://", 0) != 0)
        return "the mail server's address is not smtp:// or smtps://";
    if (!isSafeAddress(delivery.from) || delivery.to.empty()
        || !std::all_of(delivery.to.begin(), delivery.to.end(), isSafeAddress))
        return "a mail address is missing or malformed";

    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    const std::unique_ptr<CURL, EasyDeleter> handle(initialised ? curl_easy_init() : nullptr);
    if (!handle)
        return "the mail library cannot be started";
    CURL* h = handle.get();
    std::unique_ptr<curl_slist, ListDeleter> recipients;
    for (const std::string& to : delivery.to)
        recipients.reset(curl_slist_append(recipients.release(), ("<" + to + ">").c_str()));
    const std::string from = "<" + delivery.from + ">";
    Upload upload {delivery.message};
    char error[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(h, CURLOPT_URL, delivery.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, kSendTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(h, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_READFUNCTION, &readUpload);
    curl_easy_setopt(h, CURLOPT_READDATA, &upload);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(delivery.message.size()));
    if (!delivery.user.empty()) {
        curl_easy_setopt(h, CURLOPT_USERNAME, delivery.user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, delivery.password.c_str());
        if (!secure)
            curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    } else if (!secure) {
        curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    }

    const CURLcode code = curl_easy_perform(h);
    if (code == CURLE_OK)
        return {};
    std::string reason = error[0] != '\0' ? error : curl_easy_strerror(code);
    // The library's text names the server's answers, never the login; make
    // sure of it all the same.
    if (!delivery.password.empty()) {
        for (std::size_t at; (at = reason.find(delivery.password)) != std::string::npos;)
            reason.replace(at, delivery.password.size(), "***");
    }
    std::replace(reason.begin(), reason.end(), '\n', ' ');
    std::replace(reason.begin(), reason.end(), '\r', ' ');
    return "the mail could not be sent: " + reason;
}

} // namespace zv
