#include "app/windowless_view.h"

namespace zv {

using namespace Qt::StringLiterals;

namespace {

// The figures as the window shows them before any site is chosen.
std::array<QString, 6> initialFigures()
{
    return {u"0000-00-00"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s};
}

} // namespace

WindowlessView::WindowlessView()
    : m_figures(initialFigures())
{
}

void WindowlessView::chooseSite(const QString& address)
{
    m_site = address;
    m_statusLog.clear();
    m_rows.clear();
    m_figures = initialFigures();
    m_indexPictures.reset();
}

QString WindowlessView::statusText() const
{
    return m_statusLog.isEmpty() ? QString() : m_statusLog.back();
}

void WindowlessView::setStatus(const QString& text)
{
    m_statusLog.append(text);
}

int WindowlessView::keywordRowCount() const
{
    return static_cast<int>(m_rows.size());
}

QString WindowlessView::cellText(int row, KeywordColumn column) const
{
    if (row < 0 || row >= keywordRowCount())
        return {};
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void WindowlessView::setCellText(int row, KeywordColumn column, const QString& text)
{
    if (row < 0 || row >= keywordRowCount())
        return;
    m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}

void WindowlessView::setCellPicture(int, KeywordColumn, const QImage&)
{
    // The pictures that matter are in the index picture list.
}

int WindowlessView::addKeywordRow()
{
    m_rows.emplace_back();
    return keywordRowCount() - 1;
}

void WindowlessView::clearKeywordRows()
{
    m_rows.clear();
}

IndexPictureList* WindowlessView::indexPictures()
{
    return m_indexPictures ? &*m_indexPictures : nullptr;
}

IndexPictureList& WindowlessView::replaceIndexPictures()
{
    return m_indexPictures.emplace();
}

QString WindowlessView::figureText(FigureBox box) const
{
    return m_figures[static_cast<std::size_t>(box)];
}

void WindowlessView::setFigureText(FigureBox box, const QString& text)
{
    m_figures[static_cast<std::size_t>(box)] = text;
}

void WindowlessView::beforeEngineRequest()
{
    if (onEngineRequest)
        onEngineRequest();
}

void WindowlessView::showProgress(const SearchProgress& progress)
{
    if (onProgress)
        onProgress(progress);
}

} // namespace zv
