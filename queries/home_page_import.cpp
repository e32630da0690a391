#include "queries/home_page_import.h"

#include "queries/query_support.h"
#include "readers/home_page_keywords.h"
#include "view/qt_text.h"
#include "view/query_view.h"
#include "web/http_request.h"

namespace zv {

std::vector<Text> importHomePageKeywords(QueryView& view)
{
    const Text site = toText(view.currentSite());
    if (site.empty() || view.isClosing())
        return {};
    const ByteBlock body = httpRequest("http://" + site);
    if (view.isClosing())
        return {};
    const std::optional<Text> keywords = homePageKeywordText(body);
    if (!keywords) {
        view.setStatus(pageTooComplexStatus());
        return {};
    }
    return splitHomePageKeywords(*keywords);
}

} // namespace zv
