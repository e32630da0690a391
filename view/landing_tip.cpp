#include "view/landing_tip.h"

#include "store/store.h"
#include "view/qt_text.h"

namespace zv {

using namespace Qt::StringLiterals;

QString landingToolTip(const LandingPage& landing, bool hasList)
{
    if (!hasList)
        return {};
    if (!landing.address)
        return u"着陆页：无（本站不在保存的搜索结果中）"_s;
    QString tip = u"着陆页：%1"_s.arg(toQString(*landing.address));
    if (landing.changed)
        tip += u"\n着陆页已变化（上次：%1）"_s.arg(toQString(*landing.previousAddress));
    return tip;
}

void LandingToolTips::read(Store& store, const QString& site, const QDate& day)
{
    m_pages.clear();
    if (!site.isEmpty())
        m_pages = resultLists::landingPages(store, siteTableName(toText(site)), toText(day.toString(Qt::ISODate)));
}

QString LandingToolTips::of(const QString& keyword) const
{
    const auto it = m_pages.find(toText(keyword));
    return it == m_pages.end() ? QString() : landingToolTip(it->second, true);
}

QString landingToolTip(Store& store, const QString& site, const QString& keyword, const QDate& day)
{
    if (site.isEmpty() || keyword.isEmpty())
        return {};
    const Text table = siteTableName(toText(site));
    const Text dayText = toText(day.toString(Qt::ISODate));
    const Text keywordText = toText(keyword);
    const bool hasList = resultLists::entries(store, table, keywordText, dayText).has_value();
    return landingToolTip(resultLists::landingPage(store, table, keywordText, dayText), hasList);
}

} // namespace zv
