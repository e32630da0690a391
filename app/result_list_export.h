#pragma once
// A site's kept result lists as CSV (app/csv_writer.h): the header
// date,keyword,position,host,address,own,previous_position and one row per
// kept entry, by keyword, day and position.

#include "text/text.h"

#include <QDate>
#include <QString>

class QIODevice;

namespace zv {

class Store;

struct ResultListExport
{
    Text siteTable; // the site's table name in the registry
    QDate from; // null: from the first recorded day
    QDate to; // null: to the last recorded day
    QString keyword; // empty: every keyword
};

// False, with a one-line message in error, when out cannot be written.
bool writeResultListCsv(Store& store, const ResultListExport& request, QIODevice& out, QString& error);

} // namespace zv
