#include "queries/query_support.h"

#include "readers/engine_page.h"
#include "readers/engine_profile.h"
#include "store/store.h"
#include "web/codepage.h"
#include "web/http_request.h"

namespace zv {

Text todayRowStatement(const Text& table)
{
    return "select * from " + table + " where keydate=date()";
}

const QString& pageTooComplexStatus()
{
    static const QString text = QStringLiteral("页面过于复杂，未能完整读取！");
    return text;
}

bool storeTodayRow(Store& store, const Text& table, const std::function<void(Store&, bool newRow)>& writeValues)
{
    // A table that cannot be opened has been reported by the store already.
    if (!store.openRecordset(table, TableName))
        return false;
    if (store.addNew()) {
        writeValues(store, true);
        if (store.update())
            return true;
    }
    // Today's row exists already (the day key is unique): change that row and
    // only that one, whatever row happens to be last in the table.
    if (!store.openRecordset(todayRowStatement(table), SqlText) || store.recordCount() != 1)
        return false;
    // The insert was refused for today's row: no failure to tell of.
    store.takeStoreFailure();
    writeValues(store, false);
    return store.update();
}

EngineAnswer fetchEnginePage(const Text& url, PageForm& page)
{
    return fetchEnginePage(builtinEngineProfile(), url, page);
}

EngineAnswer fetchEnginePage(const EngineProfile& engine, const Text& url, PageForm& page)
{
    const HttpResult result = httpExchange(url);
    page.read(result.body);
    // The check is looked for whatever the status: its host or its page may
    // come with an error status too.
    if (isVerificationPage(engine, page.text(), result.finalHost))
        return EngineAnswer::Verification;
    if (!result.ok() || result.body.empty())
        return EngineAnswer::Failed;
    return EngineAnswer::Page;
}

EnginePage fetchEnginePage(const Text& url)
{
    PageForm form;
    EnginePage page;
    page.answer = fetchEnginePage(url, form);
    if (page.answer == EngineAnswer::Page)
        page.text = form.text();
    return page;
}

} // namespace zv
