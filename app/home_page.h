#pragma once
// Opening the product's home page in the user's browser. Tests replace the
// opener so that no browser starts.

#include <QUrl>

#include <functional>

namespace zv {

// Hands the home page to the desktop's default browser; failures are silent.
void openHomePage();

// Replaces how addresses are opened; an empty function restores the desktop's.
void setUrlOpener(std::function<void(const QUrl&)> opener);

} // namespace zv
