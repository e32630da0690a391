#include "app/check_lock.h"

#include "view/paths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace zv {

namespace {

QString lockFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return runtime;
    return QFileInfo(picturePath()).absolutePath();
}

} // namespace

CheckLock::CheckLock(const QString& databaseFile)
    : m_file(pathFor(databaseFile))
{
    // A check with long pauses holds the lock for hours; only an ended
    // process makes it stale.
    m_file.setStaleLockTime(0);
}

QString CheckLock::pathFor(const QString& databaseFile)
{
    const QByteArray key = QFileInfo(databaseFile).absoluteFilePath().toUtf8();
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    return lockFolder() + u"/zeravudez-check-"_s + QString::fromLatin1(digest) + u".lock"_s;
}

bool CheckLock::acquire(QString& message)
{
    makeParentFolder(m_file.fileName());
    if (m_file.tryLock(0))
        return true;
    if (m_file.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, application;
        if (m_file.getLockInfo(&pid, &host, &application))
            message = u"another check is running (process %1, lock %2)"_s.arg(pid).arg(m_file.fileName());
        else
            message = u"another check is running (lock %1)"_s.arg(m_file.fileName());
    } else {
        message = u"cannot create the lock %1"_s.arg(m_file.fileName());
    }
    return false;
}

} // namespace zv
