#include "app/landing_report.h"

#include "store/result_lists.h"
#include "view/qt_text.h"

#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace zv {

QByteArray withLandingPage(const QByteArray& line, Store& store, const Text& siteTable, const Text& keyword,
                           const QDate& day)
{
    QJsonObject object = QJsonDocument::fromJson(line).object();
    const LandingPage landing = resultLists::landingPage(store, siteTable, keyword, toText(day.toString(Qt::ISODate)));
    object.insert(u"landing"_s, landing.address ? QJsonValue(toQString(*landing.address)) : QJsonValue());
    object.insert(u"landing_changed"_s, landing.changed);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace zv
