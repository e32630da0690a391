#pragma once
// A site's recorded history as CSV (RFC 4180, UTF-8, CR LF line ends): a
// header row, then one row per recorded day in date order. The rank history
// has the date and one column per keyword in table order; the overview history
// the date and the six overview figures. A value of 0 stays 0; a day without a
// value has an empty cell.

#include "app/csv_writer.h" // csvField, for the callers that build rows
#include "text/text.h"

#include <QByteArray>
#include <QDate>
#include <QString>

class QIODevice;

namespace zv {

class Store;

struct HistoryExport
{
    Text siteTable; // the site's table name in the registry
    bool overview = false; // the six overview figures instead of the ranks
    QDate from; // null: from the first recorded day
    QDate to; // null: to the last recorded day
};

// Reads the history through the store's shared recordset (closed afterwards)
// and writes it to out. False, with a one-line message in error, when the
// table cannot be read or out cannot be written.
bool writeHistoryCsv(Store& store, const HistoryExport& request, QIODevice& out, QString& error);

} // namespace zv
