#include "store/schema.h"

namespace zv {

Text createSiteRegistrySql()
{
    return "Create TABLE website(web_name varchar(50) PRIMARY KEY)";
}

Text createKeywordIndexTableSql()
{
    return "Create TABLE web_baiduzhishu(keywords varchar(100) PRIMARY KEY,baiduzhishu memo default 0)";
}

Text siteRegistryTable()
{
    return "website";
}

Text selectSitesSql()
{
    return "select * from website";
}

Text deleteSiteSql(const Text& T)
{
    return "delete from website where web_name='" + T + "'";
}

Text createRankTableSql(const Text& T)
{
    return "Create TABLE " + T + " (ID Counter PRIMARY KEY,keydate datetime not null default date())";
}

Text createRankDateIndexSql(const Text& T)
{
    return "Create UNIQUE INDEX index1 on " + T + "(keydate)";
}

Text dropUnindexedRankTableSql(const Text& T)
{
    return "drop table " + T;
}

Text dropRankTableSql(const Text& T)
{
    return "DROP TABLE " + T;
}

Text selectRankTableSql(const Text& T)
{
    return "select * from " + T;
}

Text addKeywordColumnSql(const Text& T, const Text& K)
{
    return "alter table " + T + " add " + K + " int default 0";
}

Text dropKeywordColumnSql(const Text& T, const Text& K)
{
    return "alter table " + T + " drop " + K;
}

Text overviewTableName(const Text& T)
{
    return T + "_xx";
}

Text createOverviewTableSql(const Text& T)
{
    return "Create TABLE " + T
        + "_xx (keydate datetime not null default date() PRIMARY KEY,baidukuaizhao varchar(20) default "
          "0,baidushoulu int default 0,baidufanlian int default 0,jinrishoulu int default 0,zuijinyizhou int "
          "default 0,zuijinyiyue int default 0)";
}

Text dropOverviewTableSql(const Text& T)
{
    return "DROP TABLE " + T + "_xx";
}

} // namespace zv
