#include "app/home_page.h"

#include "readers/constants.h"

#include <QDesktopServices>

namespace zv {

namespace {

std::function<void(const QUrl&)>& opener()
{
    static std::function<void(const QUrl&)> f;
    return f;
}

} // namespace

void openHomePage()
{
    const QUrl url(QString::fromLatin1(kHomePage));
    if (const auto& f = opener())
        f(url);
    else
        QDesktopServices::openUrl(url);
}

void setUrlOpener(std::function<void(const QUrl&)> f)
{
    opener() = std::move(f);
}

} // namespace zv
