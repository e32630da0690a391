#include "queries/keyword_index.h"

#include "app/constants.h"
#include "app/main_window.h"
#include "app/paths.h"
#include "app/qt_text.h"
#include "charts/drawing_surface.h"
#include "imaging/bmp.h"
#include "imaging/builtin_pictures.h"
#include "imaging/converter.h"
#include "imaging/decoders.h"
#include "imaging/fitting.h"
#include "imaging/picture_file.h"
#include "queries/query_support.h"
#include "store/store.h"
#include "web/codepage.h"
#include "web/http_request.h"
#include "web/pattern_matcher.h"

#include <QComboBox>
#include <QTreeWidget>

#include <cstring>
#include <vector>

namespace zv {

namespace {

constexpr int kKeywordColumn = 2;
constexpr int kIndexColumn = 3;

constexpr char kServicePath[] = "/baidu/words.aspx";
constexpr char kRowPattern[] = "<tr .*?id=.index[\\s\\S]*?</tr>";
constexpr char kCellPattern[] = "<span  ><em>(.*?)</em></span>";
constexpr char kPicturePattern[] = "<img src=.(.*?). />";

// The index image list the keyword table shows: 80 x 16 pictures numbered
// from 0, white transparent. It lives as a child of the table, so that it is
// replaced, not merged, by each lookup and load.
class IndexImageList : public QObject
{
public:
    struct Entry
    {
        Picture picture;
        // False for a picture shown in place of one the service could not
        // give (request or download failed): shown, never stored.
        bool storable = true;
    };

    using QObject::QObject;
    std::vector<Entry> entries;
};

const QString kListName = QStringLiteral("indexImageList");

IndexImageList* attachedList(MainWindow& window)
{
    return window.超级列表框_关键词排名->findChild<IndexImageList*>(kListName, Qt::FindDirectChildrenOnly);
}

// Gives the table a new empty list in place of the one it had.
IndexImageList* attachNewList(MainWindow& window)
{
    delete attachedList(window);
    auto* list = new IndexImageList(window.超级列表框_关键词排名);
    list->setObjectName(kListName);
    return list;
}

QImage toQImage(const Picture& picture)
{
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(image.scanLine(y), picture.pixel(0, y), static_cast<std::size_t>(picture.width) * 3);
    return image;
}

// Adds picture to the list (creating the list on the first addition), shows
// it in row's index cell, and returns its number.
int addIndexPicture(MainWindow& window, IndexImageList*& list, Picture picture, bool storable, int row)
{
    if (list == nullptr)
        list = attachNewList(window);
    list->entries.push_back({std::move(picture), storable});
    window.setCellPicture(row, kIndexColumn, toQImage(list->entries.back().picture));
    return static_cast<int>(list->entries.size()) - 1;
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

// Draws the fitting surface as the lookup leaves it on the hidden drawing
// surface of the window: the picture's top-left 80 x 22 on white.
void showOnFittingSurface(MainWindow& window, const Picture& surface)
{
    DrawingSurface* board = window.画板1;
    board->clearBackgroundPicture();
    board->setBackgroundColor(Qt::white);
    board->clear();
    board->drawPicture(0, 0, toQImage(surface));
}

} // namespace

Text indexServiceAddress()
{
    return "http://" + Text(kIndexHost) + kServicePath;
}

Text indexRequestBody(const Text& keyword)
{
    return "kw=" + urlEncode(keyword, true, true);
}

Text indexPictureAddress(const Text& answerPage, const Text& keyword)
{
    PatternMatcher rowMatcher;
    PatternMatcher cellMatcher;
    rowMatcher.execute(kRowPattern, answerPage);
    const int rows = rowMatcher.matchCount();
    for (int n = 1; n <= rows; ++n) {
        const Text row = rowMatcher.matchText(n);
        cellMatcher.execute(kCellPattern, row);
        if (cellMatcher.subMatchText(1, 1) != keyword)
            continue;
        rowMatcher.execute(kPicturePattern, row);
        return "http://" + Text(kIndexHost) + rowMatcher.subMatchText(1, 1);
    }
    return {};
}

void onIndexButtonClicked(MainWindow& window)
{
    window.enterBusyState();
    queryKeywordIndexes(window);
    window.leaveBusyState();
}

void queryKeywordIndexes(MainWindow& window)
{
    if (window.组合框_网站列表->currentText().isEmpty()) {
        window.setStatus(QStringLiteral("请选择查询网站！"));
        return;
    }
    window.setStatus(QStringLiteral("查询百度指数中......"));
    IndexImageList* list = nullptr; // the new list joins the table with its first picture

    const int rows = window.keywordRowCount();
    for (int r = 0; r < rows; ++r) {
        window.setCellPicture(r, kIndexColumn, QImage());
        window.setCellText(r, kIndexColumn, QString());
    }

    const Text refused = gbk("过于频繁");
    for (int r = 0; r < window.keywordRowCount(); ++r) {
        window.画板1->clearBackgroundPicture();
        window.画板1->clear();

        const Text keyword = toText(window.cellText(r, kKeywordColumn));
        const Text page = utf8ToGbk(httpRequest(indexServiceAddress(), "POST", {}, {}, indexRequestBody(keyword)));
        if (window.isClosing())
            return; // the user closed the window: store nothing half-done
        const Text address = indexPictureAddress(page, keyword);

        ByteBlock bytes;
        bool storable = true;
        if (!address.empty()) {
            bytes = downloadPicture(address);
            if (window.isClosing())
                return;
            // A failed download says nothing about the keyword: what is shown
            // must not replace a stored picture.
            storable = !bytes.empty();
        } else if (containsText(page, refused)) {
            bytes = rateLimitPicture();
        } else {
            bytes = zeroPicture();
            // An empty answer is a failed request, not an unlisted keyword.
            storable = !page.empty();
        }

        const Picture surface = fittingSurface(decodePicture(passThroughPictureFile(bytes)));
        showOnFittingSurface(window, surface);
        const Picture index = scaleAreaAverage(surface, kIndexWidth, kIndexHeight);
        addIndexPicture(window, list, index, storable, r);
    }

    saveKeywordIndexes(window);
    window.setStatus(QStringLiteral("查询完毕"));
}

void saveKeywordIndexes(MainWindow& window)
{
    Store& store = window.store;
    if (!store.openRecordset("select * from web_baiduzhishu", SqlText)) {
        window.setStatus(QStringLiteral("打开百度指数数据表失败！"));
        return;
    }
    // A list that holds no picture is as good as none.
    IndexImageList* list = attachedList(window);
    if (list == nullptr || list->entries.empty()) {
        window.setStatus(QStringLiteral("列表框图片组为空！"));
        return;
    }
    for (int r = 0; r < window.keywordRowCount(); ++r) {
        if (r >= static_cast<int>(list->entries.size()))
            break; // rows without a picture of their own have nothing to store
        const Text keyword = toText(window.cellText(r, kKeywordColumn));
        store.addNew();
        store.writeText(0, keyword);
        const IndexImageList::Entry& entry = list->entries[r];
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
            window.setStatus(QStringLiteral("更新关键字百度指数失败！"));
    }
    window.setStatus(QStringLiteral("读取百度指数完成！"));
}

void loadKeywordIndexes(MainWindow& window)
{
    window.enterBusyState();
    window.setStatus(QStringLiteral("读取百度指数中......"));
    IndexImageList* list = nullptr;

    const int rows = window.keywordRowCount();
    for (int r = 0; r < rows; ++r)
        window.setCellPicture(r, kIndexColumn, QImage());

    Store& store = window.store;
    for (int r = 0; r < rows; ++r) {
        const Text keyword = toText(window.cellText(r, kKeywordColumn));
        Text hex;
        if (store.openRecordset("select * from web_baiduzhishu where keywords='" + keyword + "'", SqlText)
            && store.recordCount() > 0)
            store.readText(1, hex);
        const Picture picture = decodePicture(hexToBytes(hex));
        if (list == nullptr)
            list = attachNewList(window);
        if (!picture.isNull())
            addIndexPicture(window, list, composeOnWhite(picture, kIndexWidth, kIndexHeight), true, r);
        store.closeRecordset();
    }

    window.setStatus(QStringLiteral("百度指数读取完毕！"));
    window.leaveBusyState();
}

} // namespace zv
