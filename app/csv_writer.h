#pragma once
// The one way the program writes CSV (RFC 4180, UTF-8, CR LF line ends).
// Cells come from the web and from users, so a cell that a spreadsheet would
// run as a formula (one beginning with "=", "+", "-", "@", a tab or a carriage
// return) is written with a leading "'", unless it is a plain number such as
// -2 or +3.5.

#include <QByteArray>
#include <QList>

namespace zv {

// One field: neutralised as above, then quoted, with its quotes doubled, when
// it holds a comma, a quote or a line break.
QByteArray csvField(const QByteArray& utf8);
// Fields joined by commas, ended by CR LF.
QByteArray csvRow(const QList<QByteArray>& utf8Fields);

} // namespace zv
