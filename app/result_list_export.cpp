#include "app/result_list_export.h"

#include "app/csv_writer.h"
#include "store/result_lists.h"
#include "view/qt_text.h"

#include <QIODevice>

using namespace Qt::StringLiterals;

namespace zv {

namespace {

QByteArray utf8Of(const Text& gbk)
{
    return QByteArray::fromStdString(gbkToUtf8String(gbk));
}

Text dayText(const QDate& day)
{
    return day.isValid() ? toText(day.toString(Qt::ISODate)) : Text();
}

} // namespace

bool writeResultListCsv(Store& store, const ResultListExport& request, QIODevice& out, QString& error)
{
    const ResultListFilter filter {dayText(request.from), dayText(request.to), toText(request.keyword)};
    QByteArray csv = csvRow({"date", "keyword", "position", "host", "address", "own", "previous_position"});
    for (const ExportedEntry& row : resultLists::exported(store, request.siteTable, filter)) {
        const KeptEntry& e = row.entry.entry;
        csv += csvRow({utf8Of(row.day), utf8Of(row.keyword), QByteArray::number(e.position), utf8Of(e.host),
                       utf8Of(e.address), e.own ? "1" : "0",
                       row.entry.previousPosition ? QByteArray::number(*row.entry.previousPosition) : QByteArray()});
    }
    if (out.write(csv) != csv.size()) {
        error = u"cannot write the CSV: %1"_s.arg(out.errorString());
        return false;
    }
    return true;
}

} // namespace zv
