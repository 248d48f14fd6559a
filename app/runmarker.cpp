#include "app/runmarker.h"

#include "app/instancegate.h"

#include <QDir>

#include <limits>

namespace {

// A holder that died is found by its process id, never by the lock's age: runs take hours.
constexpr int neverStaleByAge = std::numeric_limits<int>::max();

}  // namespace

/* A marker not yet held. */
RunMarker::RunMarker(const QString& path) : m_lock(path) {
    m_lock.setStaleLockTime(neverStaleByAge);
}

/* Take the lock at once or not at all. */
bool RunMarker::hold() {
    return m_lock.isLocked() || m_lock.tryLock(0);
}

/* Remove the lock file when held. */
void RunMarker::release() {
    if (m_lock.isLocked()) {
        m_lock.unlock();
    }
}

/* Try to take the lock; a lock that can be taken is given back at once. */
bool RunMarker::heldElsewhere(const QString& path) {
    QLockFile probe(path);
    probe.setStaleLockTime(neverStaleByAge);
    if (probe.tryLock(0)) {
        probe.unlock();
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
}

/* Named like the program's socket, so each user has a marker of their own. */
QString RunMarker::pathForThisUser() {
    return QDir::temp().filePath(InstanceGate::serverNameForThisUser() + QStringLiteral(".run"));
}
