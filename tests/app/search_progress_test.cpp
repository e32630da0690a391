// The window during long searches: the progress bar in the fourth status
// panel, and the configured pause between engine requests.

#include "app_fixture.h"

#include "queries/keyword_index.h"
#include "queries/rank_search.h"
#include "web/event_hook.h"

#include <QProgressBar>
#include <QTimer>

namespace zv::test {
namespace {

struct BarState
{
    int value = 0;
    int maximum = 0;
    QString text;
    friend bool operator==(const BarState&, const BarState&) = default;
};

void PrintTo(const BarState& s, std::ostream* os)
{
    *os << s.value << " of " << s.maximum << " \"" << s.text.toStdString() << "\"";
}

using SearchProgressBar = AppTest;

// The requests go to a closed port and fail at once; the bar is looked at
// whenever a request lets events through (each byte of its address is one).
TEST_F(SearchProgressBar, CountsKeywordsAndPagesDuringARankSearchAndAnIndexLookup)
{
    auto w = start();
    addSiteNamed(*w, "progress.example.com");
    addKeywordNamed(*w, "alpha");
    addKeywordNamed(*w, "beta");
    QProgressBar* bar = w->进度条_查询进度;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->parentWidget()->objectName(), u("状态条1_panel3"));
    EXPECT_TRUE(bar->isHidden());

    std::vector<BarState> seen;
    setProcessEventsHook([&] {
        if (bar->isHidden())
            return;
        const BarState now {bar->value(), bar->maximum(), bar->text()};
        if (seen.empty() || !(seen.back() == now))
            seen.push_back(now);
    });

    w->组合框_搜索范围->setCurrentIndex(1); // two pages per keyword
    queryKeywordRanks(*w);
    EXPECT_EQ(seen, (std::vector<BarState> {{0, 4, u("1/2")}, {1, 4, u("1/2")}, {2, 4, u("2/2")}, {3, 4, u("2/2")}}));
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(w->panelText(3), QString());

    seen.clear();
    onIndexButtonClicked(*w);
    EXPECT_EQ(seen, (std::vector<BarState> {{0, 2, u("1/2")}, {1, 2, u("2/2")}}));
    EXPECT_TRUE(bar->isHidden());
    setProcessEventsHook({});
}

using WindowPause = AppTest;

TEST_F(WindowPause, ClosingTheWindowEndsAWaitBetweenEngineRequests)
{
    auto w = start();
    w->setEnginePause({3600, 3600});
    w->beforeEngineRequest(); // the first request does not wait
    // The second would wait an hour; the window keeps handling events and
    // the close ends the wait.
    QTimer::singleShot(0, w.get(), [&] { w->close(); });
    w->beforeEngineRequest();
    EXPECT_TRUE(w->isClosing());
}

} // namespace
} // namespace zv::test
