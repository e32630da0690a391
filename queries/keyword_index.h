#pragma once
// Keyword index lookup: every keyword's index picture, fetched from the index
// service, fitted into 80 x 16, shown in column 3 of the keyword table and
// stored as hexadecimal text in web_baiduzhishu, so that selecting a site
// later shows the stored pictures without asking the service.

namespace zv {

class QueryView;

// The index button: queryKeywordIndexes in a busy state of its own.
void onIndexButtonClicked(QueryView& view);

// Looks up every keyword row in order, shows its picture and stores them all.
// Runs inside the caller's busy state.
void queryKeywordIndexes(QueryView& view);

// Stores the pictures the last lookup showed, one row per keyword.
void saveKeywordIndexes(QueryView& view);

// Shows the stored picture of every keyword row; makes no request.
void loadKeywordIndexes(QueryView& view);

} // namespace zv
