#include "queries/keyword_index.h"

#include "imaging/bmp.h"
#include "imaging/builtin_pictures.h"
#include "imaging/converter.h"
#include "imaging/decoders.h"
#include "imaging/fitting.h"
#include "imaging/picture_file.h"
#include "queries/query_support.h"
#include "readers/fixed_text.h"
#include "readers/hex_text.h"
#include "readers/index_page.h"
#include "store/store.h"
#include "view/paths.h"
#include "view/picture_image.h"
#include "view/qt_text.h"
#include "view/query_view.h"
#include "web/codepage.h"
#include "web/http_request.h"
#include "web/pattern_matcher.h"

namespace zv {

using namespace Qt::StringLiterals;

namespace {

// Adds picture to the list (giving the table a new list on the first
// addition) and shows it in row's index cell.
void addIndexPicture(QueryView& view, IndexPictureList*& list, Picture picture, bool storable, int row)
{
    if (list == nullptr)
        list = &view.replaceIndexPictures();
    list->push_back({std::move(picture), storable});
    view.setCellPicture(row, KeywordColumn::Index, toQImage(list->back().picture));
}

// Writes the picture bytes to the temporary file, converts it in place to a
// 24-bit BMP file and reads it back. When the file cannot be written the
// bytes in hand are used, never the previous keyword's file.
ByteBlock passThroughPictureFile(const ByteBlock& bytes)
{
    const std::string path = picturePath().toStdString();
    if (!makeParentFolder(picturePath()) || !writeFileBytes(path, bytes))
        return bytes;
    convertToBmp24File(path);
    return readFileBytes(path);
}

} // namespace

void onIndexButtonClicked(QueryView& view)
{
    BusyScope busy(view);
    queryKeywordIndexes(view);
}

void queryKeywordIndexes(QueryView& view)
{
    if (view.currentSite().isEmpty()) {
        view.setStatus(u"请选择查询网站！"_s);
        return;
    }
    view.setStatus(u"查询百度指数中......"_s);
    ProgressScope progress(view);
    IndexPictureList* list = nullptr; // the new list joins the table with its first picture

    const int rows = view.keywordRowCount();
    for (int r = 0; r < rows; ++r) {
        view.setCellPicture(r, KeywordColumn::Index, QImage());
        view.setCellText(r, KeywordColumn::Index, QString());
    }

    const Text refused = gbk("过于频繁");
    // One page form and its matchers serve every keyword's answer page.
    PageForm page;
    PageMatcher rowMatcher;
    PageMatcher cellMatcher;
    for (int r = 0; r < view.keywordRowCount(); ++r) {
        view.clearFittingSurface();

        const Text keyword = toText(view.cellText(r, KeywordColumn::Keyword));
        view.showProgress({r + 1, view.keywordRowCount(), 1, 1});
        page.read(httpRequest(indexServiceAddress(), "POST", {}, {}, indexRequestBody(keyword)));
        if (view.isClosing())
            return; // the user closed the window: store nothing half-done
        const Text address = indexPictureAddress(page, keyword, rowMatcher, cellMatcher);
        // An answer the patterns gave up on says nothing about the keyword.
        const bool unread = address.empty() && (rowMatcher.gaveUp() || cellMatcher.gaveUp());
        if (unread)
            view.setStatus(pageTooComplexStatus());

        ByteBlock bytes;
        bool storable = true;
        if (!address.empty()) {
            bytes = downloadPicture(address);
            if (view.isClosing())
                return;
            // A failed download says nothing about the keyword: what is shown
            // must not replace a stored picture.
            storable = !bytes.empty();
        } else if (unread) {
            bytes = zeroPicture();
            storable = false;
        } else if (containsText(page.text(), refused)) {
            bytes = rateLimitPicture();
        } else {
            bytes = zeroPicture();
            // An empty answer is a failed request, not an unlisted keyword.
            storable = !page.text().empty();
        }

        const Picture surface = fittingSurface(decodePicture(passThroughPictureFile(bytes)));
        view.showOnFittingSurface(surface);
        const Picture index = scaleAreaAverage(surface, kIndexWidth, kIndexHeight);
        addIndexPicture(view, list, index, storable, r);
    }

    saveKeywordIndexes(view);
    view.setStatus(u"查询完毕"_s);
}

void saveKeywordIndexes(QueryView& view)
{
    Store& store = view.store();
    if (!store.openRecordset("select * from web_baiduzhishu", SqlText)) {
        view.setStatus(u"打开百度指数数据表失败！"_s);
        return;
    }
    // A list that holds no picture is as good as none.
    const IndexPictureList* list = view.indexPictures();
    if (list == nullptr || list->empty()) {
        view.setStatus(u"列表框图片组为空！"_s);
        return;
    }
    for (int r = 0; r < view.keywordRowCount(); ++r) {
        if (r >= static_cast<int>(list->size()))
            break; // rows without a picture of their own have nothing to store
        const Text keyword = toText(view.cellText(r, KeywordColumn::Keyword));
        store.addNew();
        store.writeText(0, keyword);
        const IndexPicture& entry = (*list)[r];
        const ByteBlock bytes = encodeBmp24(composeOnWhite(entry.picture, kIndexWidth, kIndexHeight));
        if (!entry.storable || bytes == fittedRateLimitPicture()) {
            // A new keyword gets a row with the default value; a stored
            // keyword's row refuses the insertion and keeps its picture.
            store.update();
            continue;
        }
        const Text hex = bytesToHex(bytes);
        store.writeText(1, hex);
        if (store.update())
            continue;
        if (!store.executeSql("UPDATE web_baiduzhishu SET baiduzhishu='" + hex + "' WHERE keywords = '" + keyword
                              + "'"))
            view.setStatus(u"更新关键字百度指数失败！"_s);
    }
    view.setStatus(u"读取百度指数完成！"_s);
}

void loadKeywordIndexes(QueryView& view)
{
    BusyScope busy(view);
    view.setStatus(u"读取百度指数中......"_s);
    IndexPictureList* list = nullptr;

    const int rows = view.keywordRowCount();
    for (int r = 0; r < rows; ++r)
        view.setCellPicture(r, KeywordColumn::Index, QImage());

    Store& store = view.store();
    for (int r = 0; r < rows; ++r) {
        const Text keyword = toText(view.cellText(r, KeywordColumn::Keyword));
        Text hex;
        if (store.openRecordset("select * from web_baiduzhishu where keywords='" + keyword + "'", SqlText)
            && store.recordCount() > 0)
            store.readText(1, hex);
        const Picture picture = decodePicture(hexToBytes(hex));
        if (list == nullptr)
            list = &view.replaceIndexPictures();
        if (!picture.isNull())
            addIndexPicture(view, list, composeOnWhite(picture, kIndexWidth, kIndexHeight), true, r);
        store.closeRecordset();
    }

    view.setStatus(u"百度指数读取完毕！"_s);
}

} // namespace zv
