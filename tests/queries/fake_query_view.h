#pragma once
// A query view without any window: the keyword table, figures and status as
// plain values, over a store on a database file of its own making. The query
// routines run on it with no QApplication at all.

#include "store/schema.h"
#include "store/store.h"
#include "view/query_view.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zv::test {

class FakeQueryView : public QueryView
{
public:
    // Opens (creating when missing) the database file with the program's two
    // fixed tables, as the window's start-up does.
    explicit FakeQueryView(const std::string& databaseFile)
    {
        Store::createDatabaseFile(databaseFile);
        opened = m_store.connectAccess(databaseFile);
        m_store.executeSql(createSiteRegistrySql());
        m_store.executeSql(createKeywordIndexTableSql());
        m_store.bindConnection();
    }

    bool opened = false;
    QString site;
    int rangeIndex = 0;
    const EngineProfile* engine = nullptr; // the built-in one
    bool closing = false;
    bool busy = false;
    int busyEntries = 0;
    int timerArmings = 0;
    int fittingSurfaceClears = 0;
    Picture fittingSurface;

    struct Row
    {
        std::array<QString, kKeywordColumnCount> texts;
        std::array<QImage, kKeywordColumnCount> pictures;
    };
    std::vector<Row> rows;
    int selectedRow = -1;

    // One row per keyword, numbered from 1, as the keyword list shows them.
    void showKeywords(const std::vector<QString>& keywords)
    {
        rows.clear();
        for (const QString& keyword : keywords) {
            const int row = addKeywordRow();
            setCellText(row, KeywordColumn::Number, QString::number(row + 1));
            setCellText(row, KeywordColumn::Keyword, keyword);
        }
    }

    Store& store() override { return m_store; }
    QString currentSite() const override { return site; }
    QString statusText() const override { return m_status; }
    void setStatus(const QString& text) override { m_status = text; }
    void enterBusyState() override
    {
        busy = true;
        ++busyEntries;
    }
    void leaveBusyState() override
    {
        busy = false;
        armStatusTimer();
    }
    void armStatusTimer() override { ++timerArmings; }
    bool isClosing() const override { return closing; }
    int searchRangeIndex() const override { return rangeIndex; }
    const EngineProfile* engineProfile() const override { return engine; }

    int keywordRowCount() const override { return static_cast<int>(rows.size()); }
    int selectedKeywordRow() const override { return selectedRow; }
    QString cellText(int row, KeywordColumn column) const override
    {
        return validRow(row) ? rows[row].texts[static_cast<int>(column)] : QString();
    }
    void setCellText(int row, KeywordColumn column, const QString& text) override
    {
        if (validRow(row))
            rows[row].texts[static_cast<int>(column)] = text;
    }
    void setCellPicture(int row, KeywordColumn column, const QImage& picture) override
    {
        if (validRow(row))
            rows[row].pictures[static_cast<int>(column)] = picture;
    }
    int addKeywordRow() override
    {
        rows.emplace_back();
        return keywordRowCount() - 1;
    }
    void clearKeywordRows() override { rows.clear(); }
    IndexPictureList* indexPictures() override { return m_indexPictures ? &*m_indexPictures : nullptr; }
    IndexPictureList& replaceIndexPictures() override { return m_indexPictures.emplace(); }

    QString figureText(FigureBox box) const override { return m_figures[static_cast<int>(box)]; }
    void setFigureText(FigureBox box, const QString& text) override { m_figures[static_cast<int>(box)] = text; }

    void clearFittingSurface() override
    {
        ++fittingSurfaceClears;
        fittingSurface = {};
    }
    void showOnFittingSurface(const Picture& surface) override { fittingSurface = surface; }

private:
    bool validRow(int row) const { return row >= 0 && row < keywordRowCount(); }

    Store m_store;
    QString m_status;
    std::array<QString, 6> m_figures;
    std::optional<IndexPictureList> m_indexPictures;
};

} // namespace zv::test
