#include "queries/home_page_import.h"

#include "app/main_window.h"
#include "app/qt_text.h"
#include "queries/query_support.h"
#include "store/registry/keyword_registry.h"
#include "web/codepage.h"
#include "web/http_request.h"
#include "web/pattern_matcher.h"

#include <QComboBox>

namespace zv {

void importHomePageKeywords(MainWindow& window)
{
    const Text site = toText(window.组合框_网站列表->currentText());
    if (site.empty() || window.isClosing())
        return;
    const ByteBlock body = httpRequest("http://" + site);
    if (window.isClosing())
        return;
    addKeywords(window, splitHomePageKeywords(homePageKeywordText(body)));
}

} // namespace zv
