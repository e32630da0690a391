#pragma once
// A site's keyword list as any front end shows it: the columns of its rank
// table from position 2 on, one keyword row each, numbered from 1.

namespace zv {

class QueryView;

// Empties the keyword table and fills it from the current site's rank table.
// False when no site is chosen or the table cannot be read (then reported in
// the status).
bool loadKeywordRows(QueryView& view);

} // namespace zv
