#pragma once
// The daily row of a per-site table and the search engine's pages, shared by
// the query routines.

#include "text/text.h"

#include <QString>

#include <functional>

namespace zv {

struct EngineProfile;
class PageForm;
class Store;

// Records one row for today in table: inserts a new row (its key columns take
// their defaults) with writeValues(store, true) applied; when the insert is
// refused because today's row exists, writes the values into today's row,
// found by its date, through writeValues(store, false). Never touches another
// day's row. True when a row was stored.
bool storeTodayRow(Store& store, const Text& table, const std::function<void(Store&, bool newRow)>& writeValues);

// The statement that selects today's row of a per-site table.
Text todayRowStatement(const Text& table);

// The status shown when a pattern search on a page gave up at its limits, so
// that the page counts as failed rather than as read.
const QString& pageTooComplexStatus();

// What asking the search engine for a page gave.
enum class EngineAnswer {
    Page, // a complete page with a success status
    Failed, // no page to read: an error status, a broken or cut-off transfer, an empty body
    Verification, // the engine's security check: nothing more may be asked of it in this query
};

struct EnginePage
{
    EngineAnswer answer = EngineAnswer::Failed;
    // The body as code page 936 text; empty unless answer is Page.
    Text text;
};

// Fetches a page of the search engine and tells what came back.
EnginePage fetchEnginePage(const Text& url);
// The same, reading the body into page (a form a search keeps from page to
// page); page holds the body whatever the answer.
EngineAnswer fetchEnginePage(const Text& url, PageForm& page);
// The same for the engine of a profile; the forms above ask the built-in one.
EngineAnswer fetchEnginePage(const EngineProfile& engine, const Text& url, PageForm& page);

} // namespace zv
