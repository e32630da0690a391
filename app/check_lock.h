#pragma once
// The lock that keeps two checks of the same database from running at once.
// It lives in the user's runtime folder ($XDG_RUNTIME_DIR), or in the cache
// folder where there is none, and is named after the database file, so checks
// of different databases do not wait for each other. A lock left by a process
// that has ended is taken over.

#include <QLockFile>
#include <QString>

namespace zv {

class CheckLock
{
public:
    explicit CheckLock(const QString& databaseFile);
    CheckLock(const CheckLock&) = delete;
    CheckLock& operator=(const CheckLock&) = delete;

    // True when this process now holds the lock; otherwise message says why
    // (another check running, with its process id, or a folder that cannot
    // be written).
    bool acquire(QString& message);

    static QString pathFor(const QString& databaseFile);

private:
    QLockFile m_file;
};

} // namespace zv
