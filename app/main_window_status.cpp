#include "app/main_window.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace zv {

using namespace Qt::StringLiterals;

namespace {

constexpr int kStatusTimerInterval = 10000;

} // namespace

QString MainWindow::panelText(int panel) const
{
    if (panel < 0 || panel >= 4)
        return {};
    return m_panels[panel]->text();
}

void MainWindow::setPanelText(int panel, const QString& text)
{
    if (panel < 0 || panel >= 4)
        return;
    m_panels[panel]->setText(text);
    // A panel shows what fits; the whole text is a hover away.
    m_panels[panel]->setToolTip(text);
}

void MainWindow::setStatus(const QString& text)
{
    setPanelText(1, text);
}

QString MainWindow::statusText() const
{
    return panelText(1);
}

std::array<QWidget*, 14> MainWindow::workingControls() const
{
    return {按钮_查询排名,   按钮_查询百度指数, 组合框_网站列表,   按钮_添加网站,    按钮_删除网站,
            按钮_添加关键词, 按钮_删除关键词,   组合框_搜索范围,   标签_百度快照,    标签_总收录,
            标签_百度反链,   标签_今日收录,     标签_最近一周收录, 标签_最近一月收录};
}

void MainWindow::enterBusyState()
{
    for (QWidget* control : workingControls())
        control->setEnabled(false);
    if (图片框_进度条->isHidden()) {
        m_progressFrame = 0;
        图片框_进度条->setPixmap(m_progressFrames.value(0));
        图片框_进度条->show();
        m_progressTimer->start();
    }
}

void MainWindow::leaveBusyState()
{
    for (QWidget* control : workingControls())
        control->setEnabled(true);
    图片框_进度条->hide();
    m_progressTimer->stop();
    armStatusTimer();
}

bool MainWindow::isBusy() const
{
    return !图片框_进度条->isHidden();
}

void MainWindow::advanceProgressFrame()
{
    if (m_progressFrames.isEmpty())
        return;
    m_progressFrame = (m_progressFrame + 1) % m_progressFrames.size();
    图片框_进度条->setPixmap(m_progressFrames.at(m_progressFrame));
}

void MainWindow::armStatusTimer()
{
    // Only a change of interval starts a countdown; one already running keeps
    // its original deadline.
    if (时钟1->interval() == kStatusTimerInterval && 时钟1->isActive())
        return;
    时钟1->setInterval(kStatusTimerInterval);
    时钟1->start();
}

void MainWindow::statusTimerTick()
{
    setStatus(u"空闲..."_s);
    时钟1->stop();
    时钟1->setInterval(0);
}

void MainWindow::showProgress(const SearchProgress& progress)
{
    if (progress.keywords <= 0 || progress.pages <= 0)
        return;
    // The pages asked for before this one, of all the search's pages.
    进度条_查询进度->setRange(0, progress.keywords * progress.pages);
    进度条_查询进度->setValue((progress.keyword - 1) * progress.pages + progress.page - 1);
    进度条_查询进度->setFormat(u"%1/%2"_s.arg(progress.keyword).arg(progress.keywords));
    进度条_查询进度->show();
}

void MainWindow::hideProgress()
{
    进度条_查询进度->hide();
    进度条_查询进度->reset();
}

} // namespace zv
