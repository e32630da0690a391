// What the daily check prints: the keyword lines, their JSON form, and the
// progress on a terminal and elsewhere.

#include "app/check_report.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace zv {
namespace {

using namespace Qt::StringLiterals;

TEST(CheckReportTest, TheChangeReadsUpDownNewAndLost)
{
    EXPECT_EQ(rankChange(3, 7), u"+4"_s);
    EXPECT_EQ(rankChange(9, 2), u"-7"_s);
    EXPECT_EQ(rankChange(5, 5), u"0"_s);
    EXPECT_EQ(rankChange(0, 0), u"0"_s);
    EXPECT_EQ(rankChange(12, 0), u"new"_s);
    EXPECT_EQ(rankChange(0, 12), u"lost"_s);
    EXPECT_EQ(rankChange(std::nullopt, 4), QString());
    EXPECT_EQ(rankChange(4, std::nullopt), QString());
}

TEST(CheckReportTest, AKeywordLineHasFiveTabSeparatedColumns)
{
    KeywordOutcome k {u"网站优化"_s, u"3. 17 150"_s, 3, 5, QDate(2024, 5, 19)};
    EXPECT_EQ(keywordLine(u"www.a.cn"_s, k, false), QByteArray("www.a.cn\t网站优化\t3. 17 150\t5\t+2\n"));

    // A failed keyword, nothing recorded before, and a keyword whose name
    // holds a tab and a line break: still one line of five columns.
    KeywordOutcome failed {u"a\tb\nc"_s, u"查询失败"_s, std::nullopt, std::nullopt, QDate()};
    EXPECT_EQ(keywordLine(u"www.a.cn"_s, failed, false), QByteArray("www.a.cn\ta b c\t查询失败\t-\t\n"));
}

TEST(CheckReportTest, AJsonLineIsOneObjectWithNullsForWhatIsMissing)
{
    KeywordOutcome k {u"say \"hi\"\n"_s, u"100名以后 :("_s, 0, 4, QDate(2024, 5, 19)};
    const QByteArray line = keywordLine(u"www.a.cn"_s, k, true);
    ASSERT_TRUE(line.endsWith('\n'));
    EXPECT_EQ(line.count('\n'), 1);
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(o.value(u"site"_s).toString(), u"www.a.cn"_s);
    EXPECT_EQ(o.value(u"keyword"_s).toString(), u"say \"hi\"\n"_s);
    EXPECT_EQ(o.value(u"rank"_s).toString(), u"100名以后 :("_s);
    EXPECT_EQ(o.value(u"value"_s).toInt(-1), 0);
    EXPECT_EQ(o.value(u"previous"_s).toInt(), 4);
    EXPECT_EQ(o.value(u"previousDate"_s).toString(), u"2024-05-19"_s);
    EXPECT_EQ(o.value(u"change"_s).toString(), u"lost"_s);

    KeywordOutcome failed {u"k"_s, u"查询失败"_s, std::nullopt, std::nullopt, QDate()};
    const QJsonObject f = QJsonDocument::fromJson(keywordLine(u"www.a.cn"_s, failed, true)).object();
    for (const QString& key : {u"value"_s, u"previous"_s, u"previousDate"_s, u"change"_s})
        EXPECT_TRUE(f.value(key).isNull()) << key.toStdString();
}

TEST(CheckReportTest, ClockTextShowsMinutesAndHours)
{
    EXPECT_EQ(clockText(0), u"0:00"_s);
    EXPECT_EQ(clockText(59999), u"0:59"_s);
    EXPECT_EQ(clockText(61000), u"1:01"_s);
    EXPECT_EQ(clockText(3600000 + 5 * 60000 + 7000), u"1:05:07"_s);
}

SiteOutcome siteWith(int keywords, int failed)
{
    SiteOutcome outcome;
    for (int i = 0; i < keywords; ++i) {
        KeywordOutcome k;
        if (i >= failed)
            k.value = 1;
        outcome.keywords.push_back(k);
    }
    return outcome;
}

TEST(CheckReportTest, ProgressIsALiveLineOnATerminalAndAPlainLinePerSiteElsewhere)
{
    QBuffer terminal;
    terminal.open(QIODevice::WriteOnly);
    {
        CheckProgress progress(terminal, true, false, 2);
        progress.startSite(1, u"www.a.cn"_s);
        progress.step({1, 3, 1, 2});
        progress.step({2, 3, 2, 2});
        progress.finishSite(siteWith(3, 0));
        progress.startSite(2, u"www.b.cn"_s);
        SiteOutcome skipped;
        skipped.skipped = true;
        progress.finishSite(skipped);
    }
    const QByteArray live = terminal.data();
    EXPECT_TRUE(live.startsWith("\rsite 1/2 www.a.cn, keyword 1/3, page 1/2, 0:0")) << live.toStdString();
    EXPECT_TRUE(live.contains("\rsite 1/2 www.a.cn, keyword 2/3, page 2/2, ")) << live.toStdString();
    // The live line is erased at the end of a site; a skipped site says so.
    EXPECT_TRUE(live.endsWith("\r\x1b[Ksite 2/2 www.b.cn: already recorded today\n")) << live.toStdString();
    EXPECT_EQ(live.count('\n'), 1);

    QBuffer plain;
    plain.open(QIODevice::WriteOnly);
    {
        CheckProgress progress(plain, false, false, 2);
        progress.startSite(1, u"www.a.cn"_s);
        progress.step({1, 3, 1, 1});
        progress.finishSite(siteWith(3, 1));
        progress.startSite(2, u"www.b.cn"_s);
        progress.finishSite(siteWith(0, 0));
    }
    const QList<QByteArray> lines = plain.data().split('\n');
    ASSERT_EQ(lines.size(), 3) << plain.data().toStdString();
    EXPECT_TRUE(lines[0].startsWith("site 1/2 www.a.cn: 3 keywords, 1 failed, 0:0")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("site 2/2 www.b.cn: 0 keywords, 0:0")) << lines[1].toStdString();
    EXPECT_FALSE(plain.data().contains('\r'));

    QBuffer quiet;
    quiet.open(QIODevice::WriteOnly);
    CheckProgress progress(quiet, true, true, 1);
    progress.startSite(1, u"www.a.cn"_s);
    progress.step({1, 1, 1, 1});
    progress.finishSite(siteWith(1, 1));
    EXPECT_TRUE(quiet.data().isEmpty());
}

} // namespace
} // namespace zv
