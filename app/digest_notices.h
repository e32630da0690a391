#pragma once
// The digest of a check sent out: as a desktop notification or as a mail.
// Neither touches what the check recorded.

#include "app/check_digest.h"
#include "app/configuration.h"

#include <QString>

namespace zv {

// The notification's title ("Zeravudez: 3 sites checked") and body (the
// counts, then the three largest moves, one a line).
QString noticeTitle(const Digest& digest);
QString noticeBody(const Digest& digest);

// What is missing for --mail ("" when nothing): a recipient or the server.
QString mailSettingsProblem(const MailSettings& mail);

// Sends the digest by mail with the settings; "" when the server took it,
// else one sentence why not (never the password).
QString mailDigest(const Digest& digest, const MailSettings& mail);

} // namespace zv
