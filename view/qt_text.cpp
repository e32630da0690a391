#include "view/qt_text.h"

namespace zv {

QString toQString(const Text& gbk)
{
    const std::string utf8 = gbkToUtf8String(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

Text toText(const QString& s)
{
    const QByteArray utf8 = s.toUtf8();
    return utf8ToGbkString(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

} // namespace zv
