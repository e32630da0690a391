#include "app/csv_writer.h"

namespace zv {

namespace {

// An optional sign, digits, and an optional fraction.
bool isPlainNumber(const QByteArray& text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i == digitsStart)
        return false;
    if (i < text.size() && text[i] == '.') {
        const qsizetype fractionStart = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == fractionStart)
            return false;
    }
    return i == text.size();
}

bool looksLikeFormula(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    switch (text.front()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return !isPlainNumber(text);
    default:
        return false;
    }
}

} // namespace

QByteArray csvField(const QByteArray& utf8)
{
    const QByteArray cell = looksLikeFormula(utf8) ? '\'' + utf8 : utf8;
    if (!cell.contains(',') && !cell.contains('"') && !cell.contains('\n') && !cell.contains('\r'))
        return cell;
    QByteArray quoted = cell;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QByteArray csvRow(const QList<QByteArray>& utf8Fields)
{
    QByteArray row;
    for (qsizetype i = 0; i < utf8Fields.size(); ++i) {
        if (i > 0)
            row += ',';
        row += csvField(utf8Fields[i]);
    }
    return row + "\r\n";
}

} // namespace zv
