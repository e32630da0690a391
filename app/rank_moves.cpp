#include "app/rank_moves.h"

#include "app/main_window.h"
#include "app/previous_ranks.h"
#include "readers/rank_page.h"
#include "store/site_name.h"
#include "view/qt_text.h"

#include <QTreeWidget>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

QString shownValue(int value)
{
    return value == 0 ? u"无排名"_s : QString::number(value);
}

} // namespace

RankMove rankMove(std::optional<int> previous, std::optional<int> today)
{
    if (!previous || !today || *previous == *today)
        return RankMove::None;
    if (*previous == 0)
        return RankMove::Up;
    if (*today == 0)
        return RankMove::Down;
    return *today < *previous ? RankMove::Up : RankMove::Down;
}

QString rankMoveToolTip(std::optional<int> previous, std::optional<int> today)
{
    if (rankMove(previous, today) == RankMove::None)
        return {};
    return u"上次 %1，今天 %2"_s.arg(shownValue(*previous), shownValue(*today));
}

void showRankMoves(MainWindow& w)
{
    const QString site = w.currentSite();
    if (site.isEmpty())
        return;
    const std::vector<PreviousRank> previous
        = previousRanks(w.store(), siteTableName(toText(site)), static_cast<std::size_t>(w.keywordRowCount()));
    const QString failed = toQString(rankFailedText());
    const int column = static_cast<int>(KeywordColumn::Rank);
    for (int r = 0; r < w.keywordRowCount(); ++r) {
        QTreeWidgetItem* item = w.超级列表框_关键词排名->topLevelItem(r);
        const QString text = item->text(column).trimmed();
        std::optional<int> today;
        if (!text.isEmpty() && text != failed)
            today = recordedRank(toText(text));
        const std::optional<int> before = previous[static_cast<std::size_t>(r)].value;
        switch (rankMove(before, today)) {
        case RankMove::Up:
            item->setBackground(column, QColor(0xd4, 0xf2, 0xd0));
            break;
        case RankMove::Down:
            item->setBackground(column, QColor(0xf9, 0xd6, 0xd0));
            break;
        case RankMove::None:
            item->setBackground(column, QBrush());
            break;
        }
        item->setData(column, kRankMoveTipRole, rankMoveToolTip(before, today));
        w.refreshRankToolTip(r);
    }
}

} // namespace zv
