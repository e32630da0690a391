#pragma once
// The main of the widget test programs: an offscreen QApplication, requests
// sent to a closed loopback port unless a test names a proxy of its own,
// scripted message boxes, and addresses recorded instead of opened.

#include <QList>
#include <QUrl>

namespace zv::test {

// Every address the program asked to open in a browser, oldest first.
QList<QUrl>& openedUrls();

} // namespace zv::test
