#pragma once
// What the queries need from a front end: the status text and busy state, the
// keyword table with its index pictures, the six overview figures, the surface
// index pictures are fitted on, the store and the current site. The main
// window implements it; a front end without any window can too, since nothing
// here needs a widget.

#include "imaging/picture.h"
#include "view/keyword_column.h"

#include <QDate>
#include <QImage>
#include <QString>

#include <vector>

namespace zv {

struct EngineProfile;
class Store;

// The six figure boxes of the site overview.
enum class FigureBox { Snapshot, Indexed, Backlinks, IndexedToday, IndexedWeek, IndexedMonth };

// One picture of the keyword table's index picture list.
struct IndexPicture
{
    Picture picture;
    // False for a picture shown in place of one the service could not give
    // (request or download failed): shown, never stored.
    bool storable = true;
};
using IndexPictureList = std::vector<IndexPicture>;

// Where a rank search or an index lookup stands: keyword (from 1) of
// keywords, and the page (from 1) of pages asked for within that keyword.
struct SearchProgress
{
    int keyword = 0;
    int keywords = 0;
    int page = 0;
    int pages = 0;
};

inline constexpr int kDefaultResultListDepth = 20;
inline constexpr int kMinResultListDepth = 10;
inline constexpr int kMaxResultListDepth = 100;

class QueryView
{
public:
    virtual ~QueryView() = default;

    // The connection and the shared recordset of the whole run.
    virtual Store& store() = 0;
    // The site the queries act on, as shown; empty when none is chosen.
    virtual QString currentSite() const = 0;

    virtual QString statusText() const = 0;
    virtual void setStatus(const QString& text) = 0;
    // A plain on/off state, not a count: the first leave ends it.
    virtual void enterBusyState() = 0;
    virtual void leaveBusyState() = 0;
    // Starts the countdown that puts the idle text back, unless it is running.
    virtual void armStatusTimer() = 0;
    // The user has closed the front end; a long query stops early.
    virtual bool isClosing() const = 0;
    // The search range chosen: 0 for the first 100 results, 1 for 200 ...
    virtual int searchRangeIndex() const = 0;
    // The search engine the rank search asks (readers/engine_profile.h);
    // nullptr for the built-in one. It outlives every query.
    virtual const EngineProfile* engineProfile() const { return nullptr; }

    // The keyword table. Out-of-range rows read as "" and ignore writes.
    virtual int keywordRowCount() const = 0;
    virtual int selectedKeywordRow() const = 0; // -1 for none
    virtual QString cellText(int row, KeywordColumn column) const = 0;
    virtual void setCellText(int row, KeywordColumn column, const QString& text) = 0;
    // Shows picture in the cell with its white pixels transparent; a null
    // image removes the cell's picture.
    virtual void setCellPicture(int row, KeywordColumn column, const QImage& picture) = 0;
    virtual int addKeywordRow() = 0; // an empty row at the end; its index
    virtual void clearKeywordRows() = 0;

    // The index pictures the keyword table shows, numbered from 0; nullptr
    // while the table has no list. Emptying the table keeps the list.
    virtual IndexPictureList* indexPictures() = 0;
    // Gives the table a new empty list in place of the one it had.
    virtual IndexPictureList& replaceIndexPictures() = 0;

    virtual QString figureText(FigureBox box) const = 0;
    virtual void setFigureText(FigureBox box, const QString& text) = 0;

    // The surface an index picture is fitted on before it is scaled down:
    // blanked before each lookup, then showing the fitted picture's top-left
    // corner on white.
    virtual void clearFittingSurface() = 0;
    virtual void showOnFittingSurface(const Picture& surface) = 0;

    // How many of each keyword's first results a rank search keeps beside
    // the site's own (10 to 100); 0 keeps no result lists at all.
    virtual int resultListDepth() const { return kDefaultResultListDepth; }
    // The day a search records its result lists under.
    virtual QDate today() const { return QDate::currentDate(); }

    // Hooks a front end may take up; by default they do nothing.
    // Runs before each request to the search engine: the front end may wait
    // here, so that the engine is not asked too often.
    virtual void beforeEngineRequest() { }
    // Runs before each request of a rank search or an index lookup.
    virtual void showProgress(const SearchProgress& progress) { static_cast<void>(progress); }
    // The search or lookup has ended, however it ended.
    virtual void hideProgress() { }
    // A rank search has kept the day's result lists.
    virtual void resultListsKept() { }
};

// Holds the busy state for a sequence with many exits: entered on
// construction, left on destruction.
class BusyScope
{
public:
    explicit BusyScope(QueryView& view);
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    QueryView& m_view;
};

// Hides the progress when a search with many exits ends.
class ProgressScope
{
public:
    explicit ProgressScope(QueryView& view)
        : m_view(view)
    {
    }
    ~ProgressScope() { m_view.hideProgress(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    QueryView& m_view;
};

} // namespace zv
