// Mail: the message's headers and body as a mail reader decodes them, and the
// delivery to a mail server on 127.0.0.1.

#include "tests/support/loopback_server.h"
#include "tests/support/smtp_standin.h"
#include "web/smtp_mail.h"

#include <gtest/gtest.h>

namespace zv {
namespace {

std::string fromBase64(std::string_view text)
{
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        int digit;
        if (c >= 'A' && c <= 'Z')
            digit = c - 'A';
        else if (c >= 'a' && c <= 'z')
            digit = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            digit = c - '0' + 52;
        else if (c == '+')
            digit = 62;
        else if (c == '/')
            digit = 63;
        else
            continue;
        value = value << 6 | static_cast<unsigned>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}

bool isWholeUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

std::vector<std::string> splitOn(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + separator.size())
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

// Decodes a header as a mail reader does: each encoded word on its own, the
// folding between them dropped.
std::string decodedHeader(const std::string& header, bool* wordsWhole = nullptr)
{
    if (header.rfind("=?", 0) != 0)
        return header;
    std::string out;
    for (const std::string& line : splitOn(header, "\r\n ")) {
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_EQ(line.rfind("=?UTF-8?B?", 0), 0u) << line;
        const std::string word = fromBase64(line.substr(10, line.size() - 12));
        if (wordsWhole && !isWholeUtf8(word))
            *wordsWhole = false;
        out += word;
    }
    return out;
}

struct HeaderCase
{
    const char* name;
    std::string text;
    bool encoded;
};

class EncodedHeaderTest : public ::testing::TestWithParam<HeaderCase>
{
};

TEST_P(EncodedHeaderTest, DecodesBackWholeCharacterByCharacter)
{
    const std::string header = encodedHeaderText(GetParam().text);
    EXPECT_EQ(header.rfind("=?UTF-8?B?", 0) == 0, GetParam().encoded) << header;
    bool whole = true;
    EXPECT_EQ(decodedHeader(header, &whole), GetParam().text);
    EXPECT_TRUE(whole) << header;
}

INSTANTIATE_TEST_SUITE_P(
    Subjects, EncodedHeaderTest,
    ::testing::Values(HeaderCase {"plain_ascii", "Zeravudez: 2 sites checked", false},
                      HeaderCase {"chinese", "网站优化 4 → 15", true},
                      HeaderCase {"long_chinese",
                                  std::string(40, 'a') + "关键词排名下降了很多位置，请尽快查看网站的情况和原因", true},
                      HeaderCase {"long_ascii", std::string(90, 'x'), true},
                      HeaderCase {"looks_encoded", "=?UTF-8?B?abc?=", true},
                      HeaderCase {"line_break", "a\r\nBcc: someone@example.com", true}),
    [](const auto& i) { return std::string(i.param.name); });

MailMessage sampleMessage()
{
    MailMessage message;
    message.from = "check@example.cn";
    message.to = {"owner@example.cn", "team@example.cn"};
    message.subject = "Zeravudez: 1 site checked — 1 down";
    message.body = "# changes\n.\nwww.shop-demo.cn\t网站优化\t4 → 15\tdown 11\n" + std::string(300, 'y') + "\n";
    message.date = "Thu, 10 Dec 2026 09:30:00 +0800";
    message.messageId = "1234@zeravudez";
    return message;
}

TEST(SmtpMail, TheServerReceivesTheEnvelopeHeadersAndBody)
{
    test::SmtpStandIn server;
    const MailMessage message = sampleMessage();
    const std::string error = sendMail({server.url(), {}, {}, message.from, message.to, composeMail(message)});
    EXPECT_EQ(error, "");

    const std::vector<test::ReceivedMail> mails = server.mails();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].from, "check@example.cn");
    EXPECT_EQ(mails[0].to, (std::vector<std::string> {"owner@example.cn", "team@example.cn"}));
    const std::string& data = mails[0].data;
    const std::size_t headEnd = data.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    const std::string head = data.substr(0, headEnd + 2);
    EXPECT_NE(head.find("From: Zeravudez <check@example.cn>\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("To: owner@example.cn,\r\n team@example.cn\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("Date: Thu, 10 Dec 2026 09:30:00 +0800\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("Message-ID: <1234@zeravudez>\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("MIME-Version: 1.0\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("Content-Type: text/plain; charset=UTF-8\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("Content-Transfer-Encoding: base64\r\n"), std::string::npos) << head;
    const std::size_t subjectAt = head.find("Subject: ");
    ASSERT_NE(subjectAt, std::string::npos);
    std::string subject = head.substr(subjectAt + 9);
    subject = subject.substr(0, subject.find("\r\nDate:"));
    EXPECT_EQ(decodedHeader(subject), message.subject);

    // Every line of the body within 76 characters; decoded it is the text
    // with CR LF line ends.
    const std::string body = data.substr(headEnd + 4);
    for (const std::string& line : splitOn(body, "\r\n"))
        EXPECT_LE(line.size(), 76u);
    std::string expected = message.body;
    for (std::size_t at = 0; (at = expected.find('\n', at)) != std::string::npos; at += 2)
        expected.replace(at, 1, "\r\n");
    EXPECT_EQ(fromBase64(body), expected);
}

TEST(SmtpMail, ARefusedConnectionOrAMissingAddressIsOneLineOfFailure)
{
    const MailMessage message = sampleMessage();
    const std::string refused = sendMail({"smtp://127.0.0.1:" + std::to_string(test::unusedLoopbackPort()),
                                          {},
                                          {},
                                          message.from,
                                          message.to,
                                          composeMail(message)});
    EXPECT_EQ(refused.rfind("the mail could not be sent: ", 0), 0u) << refused;
    EXPECT_EQ(refused.find('\n'), std::string::npos);

    test::SmtpStandIn server;
    EXPECT_NE(sendMail({server.url(), {}, {}, message.from, {}, composeMail(message)}), "");
    EXPECT_NE(sendMail({server.url(), {}, {}, "a@b>\r\nRCPT TO:<x@y", message.to, composeMail(message)}), "");
    EXPECT_NE(sendMail({"http://127.0.0.1:1", {}, {}, message.from, message.to, composeMail(message)}), "");
    EXPECT_TRUE(server.mails().empty());
}

TEST(SmtpMail, ALoginOverPlainSmtpNeedsStarttlsAndThePasswordNeverGoesOut)
{
    test::SmtpStandIn server;
    const MailMessage message = sampleMessage();
    const std::string error
        = sendMail({server.url(), "owner", "s3cret-pass", message.from, message.to, composeMail(message)});
    EXPECT_NE(error, "");
    EXPECT_EQ(error.find("s3cret-pass"), std::string::npos) << error;
    for (const std::string& command : server.commands()) {
        EXPECT_EQ(command.find("AUTH"), std::string::npos) << command;
        EXPECT_EQ(command.find("MAIL"), std::string::npos) << command;
    }
    EXPECT_TRUE(server.mails().empty());
}

} // namespace
} // namespace zv
