#pragma once
// The rank cell's tool tip: the site's landing page for the keyword on a day
// (its best entry's address in that day's result list) and a mark when it
// differs from the previous recorded day's. The cell's text stays the rank.

#include "store/result_lists.h"

#include <QDate>
#include <QString>

namespace zv {

class Store;

// "" when the day has no list for the keyword (not searched, or the search
// failed).
QString landingToolTip(Store& store, const QString& site, const QString& keyword, const QDate& day);
// The text for a landing page already read; hasList false gives "".
QString landingToolTip(const LandingPage& landing, bool hasList);

// The tool tips of every keyword of the site on the day, read at once; a
// keyword not in it has no list that day and no tool tip.
class LandingToolTips
{
public:
    void read(Store& store, const QString& site, const QDate& day);
    QString of(const QString& keyword) const;

private:
    std::map<Text, LandingPage> m_pages;
};

} // namespace zv
