#pragma once

#include <QLockFile>
#include <QString>

// Tells other copies of the program, started by the same user, that this copy is converting:
// a lock file held from a run's start to its end. A starting copy that got no answer from a
// running one looks at it before it ends a copy by process name, so a conversion is never
// ended that way. The lock records the holder's process, so a copy that died leaves no
// marker behind that counts.
class RunMarker {
public:
    explicit RunMarker(const QString& path = pathForThisUser());

    // Take the marker; false when another process holds it (or it cannot be created).
    bool hold();

    // Give the marker back; nothing when it is not held.
    void release();

    // True when a live process holds the marker at `path` (this one too, through another
    // RunMarker). Does not take it.
    static bool heldElsewhere(const QString& path = pathForThisUser());

    // The marker of this program and user, in the temporary folder.
    static QString pathForThisUser();

private:
    QLockFile m_lock;
};
