#include "app/history_export.h"

#include "store/schema.h"
#include "store/store.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <vector>

using namespace Qt::StringLiterals;

namespace zv {

namespace {

// UTF-8; the captions of the overview figures as the window labels them, in
// the order of the overview table's columns after keydate.
constexpr std::array<const char*, 6> kOverviewCaptions {"百度快照", "百度收录", "百度反链",
                                                        "今日收录", "最近一周", "最近一月"};
constexpr const char* kDateCaption = "日期";

QByteArray utf8Of(const Text& gbk)
{
    return QByteArray::fromStdString(gbkToUtf8String(gbk));
}

struct DayRow
{
    QDate day;
    QByteArray line;
};

} // namespace

bool writeHistoryCsv(Store& store, const HistoryExport& request, QIODevice& out, QString& error)
{
    const Text table = request.overview ? overviewTableName(request.siteTable) : request.siteTable;
    if (!store.openRecordset(table, TableName)) {
        error = u"cannot read the table %1"_s.arg(QString::fromUtf8(utf8Of(table)));
        return false;
    }

    // The value columns follow the key ones: ID and keydate in the rank
    // table, keydate in the overview table.
    QByteArray header = kDateCaption;
    int firstValue = 1;
    int valueCount = 0;
    if (request.overview) {
        for (const char* caption : kOverviewCaptions)
            header += ',' + csvField(caption);
        valueCount = static_cast<int>(kOverviewCaptions.size());
    } else {
        firstValue = 2;
        for (;; ++valueCount) {
            const Text name = store.fieldName(firstValue + valueCount);
            if (name.empty())
                break;
            header += ',' + csvField(utf8Of(name));
        }
    }
    header += "\r\n";

    std::vector<DayRow> rows;
    const int count = store.recordCount();
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i, store.moveNext()) {
        DateTime stamp;
        if (!store.readDateTime("keydate", stamp))
            continue;
        const QDate day(stamp.year, stamp.month, stamp.day);
        if (!day.isValid() || (request.from.isValid() && day < request.from)
            || (request.to.isValid() && day > request.to))
            continue;
        QByteArray line = day.toString(Qt::ISODate).toLatin1();
        for (int position = firstValue; position < firstValue + valueCount; ++position) {
            Text value;
            store.readText(position, value);
            line += ',' + csvField(utf8Of(value));
        }
        line += "\r\n";
        rows.push_back({day, std::move(line)});
    }
    store.closeRecordset();
    std::stable_sort(rows.begin(), rows.end(), [](const DayRow& a, const DayRow& b) { return a.day < b.day; });

    bool written = out.write(header) == header.size();
    for (const DayRow& row : rows)
        written = written && out.write(row.line) == row.line.size();
    if (!written)
        error = u"cannot write the CSV: %1"_s.arg(out.errorString());
    return written;
}

} // namespace zv
