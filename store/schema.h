#pragma once
// The statements that define, fill and remove the store's tables, one builder
// per statement. T is a site table name (siteTableName), K a keyword. Values
// are spliced as they are; the store refuses names that are not bare
// identifiers and keeps spliced values inside their quotes.

#include "text/text.h"

namespace zv {

// The fixed tables, created at start-up (the result is ignored: they exist
// after the first run).
Text createSiteRegistrySql();
Text createKeywordIndexTableSql();

// The registry table, opened by name to add a site.
Text siteRegistryTable();
Text selectSitesSql();
Text deleteSiteSql(const Text& T);

// The rank table T: one row per day, one column per keyword.
Text createRankTableSql(const Text& T);
Text createRankDateIndexSql(const Text& T);
Text dropUnindexedRankTableSql(const Text& T);
Text dropRankTableSql(const Text& T);
Text selectRankTableSql(const Text& T);
Text addKeywordColumnSql(const Text& T, const Text& K);
Text dropKeywordColumnSql(const Text& T, const Text& K);

// The overview table T + "_xx": one row per day of the site's figures.
Text overviewTableName(const Text& T);
Text createOverviewTableSql(const Text& T);
Text dropOverviewTableSql(const Text& T);

} // namespace zv
