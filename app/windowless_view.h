#pragma once
// The query view of the command line: no window and no widget. The keyword
// rows, the six figures and the index pictures are kept in memory, every
// status text is kept in the order set, the fitting surface draws nothing.
// Waiting before engine requests and showing progress are handed to the
// functions the caller installs.

#include "store/store.h"
#include "view/query_view.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zv {

class WindowlessView : public QueryView
{
public:
    WindowlessView();

    Store& store() override { return m_store; }
    QString currentSite() const override { return m_site; }
    // Makes address the current site and forgets the previous site's rows,
    // figures, pictures and status texts.
    void chooseSite(const QString& address);

    QString statusText() const override;
    void setStatus(const QString& text) override;
    // Every status text set since the site was chosen, oldest first.
    const QStringList& statusLog() const { return m_statusLog; }

    void enterBusyState() override { m_busy = true; }
    void leaveBusyState() override { m_busy = false; }
    bool isBusy() const { return m_busy; }
    void armStatusTimer() override { }
    bool isClosing() const override { return false; }
    // The first 100 results, as the window starts.
    int searchRangeIndex() const override { return 0; }
    // The engine the rank search asks; the built-in one until set.
    void setEngineProfile(std::shared_ptr<const EngineProfile> engine) { m_engine = std::move(engine); }
    const EngineProfile* engineProfile() const override { return m_engine.get(); }
    // serp_depth= of the settings.
    void setResultListDepth(int depth) { m_resultListDepth = depth; }
    int resultListDepth() const override { return m_resultListDepth; }

    int keywordRowCount() const override;
    int selectedKeywordRow() const override { return -1; }
    QString cellText(int row, KeywordColumn column) const override;
    void setCellText(int row, KeywordColumn column, const QString& text) override;
    void setCellPicture(int row, KeywordColumn column, const QImage& picture) override;
    int addKeywordRow() override;
    void clearKeywordRows() override;
    IndexPictureList* indexPictures() override;
    IndexPictureList& replaceIndexPictures() override;

    QString figureText(FigureBox box) const override;
    void setFigureText(FigureBox box, const QString& text) override;

    void clearFittingSurface() override { }
    void showOnFittingSurface(const Picture&) override { }

    void beforeEngineRequest() override;
    void showProgress(const SearchProgress& progress) override;

    // Called before each engine request and with each progress step; unset
    // ones do nothing.
    std::function<void()> onEngineRequest;
    std::function<void(const SearchProgress&)> onProgress;

private:
    using Row = std::array<QString, kKeywordColumnCount>;

    Store m_store;
    std::shared_ptr<const EngineProfile> m_engine;
    int m_resultListDepth = kDefaultResultListDepth;
    QString m_site;
    QStringList m_statusLog;
    bool m_busy = false;
    std::vector<Row> m_rows;
    std::array<QString, 6> m_figures;
    std::optional<IndexPictureList> m_indexPictures;
};

} // namespace zv
