#include "app/main_window.h"

#include "app/dialog_boxes.h"
#include "app/home_page.h"
#include "app/site_registry.h"
#include "store/schema.h"
#include "view/message_box.h"
#include "view/paths.h"
#include "web/event_hook.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPointer>

#include <chrono>
#include <cstdlib>

// Resources live in this static library; make sure they are registered.
static void initAppResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace zv {

using namespace Qt::StringLiterals;

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
{
    initAppResources();
    buildControls();
    wireEvents();
    onMainWindowCreated();
}

MainWindow::~MainWindow()
{
    // QWidget's destructor still closes and hides the window, which sends focus
    // and selection signals; by then the members here are gone, so no handler
    // may run any more.
    m_destroying = true;
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* child : children)
        QObject::disconnect(child, nullptr, this, nullptr);
    onMainWindowDestroyed();
}

void MainWindow::onMainWindowCreated()
{
    setProcessEventsHook([] { QCoreApplication::processEvents(); });
    // Closing the window abandons the request in flight, so the program ends
    // at once instead of after a silent server's time-out. A window that is
    // gone abandons nothing.
    setAbortHook([window = QPointer<MainWindow>(this)] { return window && window->isClosing(); });
    useDialogBoxes();
    setStoreErrorHook([](const std::string& message) { showMessage(QString::fromStdString(message), u"Error"_s); });

    const QString path = databasePath();
    makeParentFolder(path);
    const std::string file = path.toStdString();
    if (!m_store.connectAccess(file)) {
        Store::createDatabaseFile(file);
        if (!m_store.connectAccess(file)) {
            setStatus(u"数据库链接失败！"_s);
            return;
        }
    }
    m_databaseOpen = true;
    // Both fail on every run after the first because the tables exist.
    m_store.executeSql(createSiteRegistrySql());
    m_store.executeSql(createKeywordIndexTableSql());
    m_store.bindConnection();

    const auto tick
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    std::srand(static_cast<unsigned>(tick.count()));

    组合框_搜索范围->setEditText(组合框_搜索范围->itemText(组合框_搜索范围->currentIndex()));
    loadSiteList(*this);
    armStatusTimer();
}

void MainWindow::onMainWindowDestroyed()
{
    const int r = 1 + std::rand() % 5;
    if (r == 1)
        openHomePage();
}

QString MainWindow::currentSite() const
{
    return 组合框_网站列表->currentText();
}

} // namespace zv
