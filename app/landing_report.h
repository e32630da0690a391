#pragma once
// The landing page in the daily check's JSON lines: "landing", the address of
// the site's best result of the day (null when it has none or the keyword has
// no list that day), and "landing_changed", whether it differs from the
// previous recorded day's.

#include "text/text.h"

#include <QByteArray>
#include <QDate>

namespace zv {

class Store;

// line is one JSON object ended by a line feed, as keywordLine gives it.
QByteArray withLandingPage(const QByteArray& line, Store& store, const Text& siteTable, const Text& keyword,
                           const QDate& day);

} // namespace zv
