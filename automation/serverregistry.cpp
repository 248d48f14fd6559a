#include "automation/serverregistry.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct Registry {
    QMutex mutex;
    QHash<QString, ServerRegistry::Factory> factories;
};

/* The one registry of the process, built on first use. */
Registry& registry() {
    static Registry instance;
    return instance;
}

/* Program identifiers are matched without regard to case, as COM does. */
QString keyOf(const QString& progId) {
    return progId.trimmed().toLower();
}

}  // namespace

/* Register a factory under a program identifier. */
void ServerRegistry::registerServer(const QString& progId, Factory factory) {
    QMutexLocker lock(&registry().mutex);
    registry().factories.insert(keyOf(progId), std::move(factory));
}

/* Remove a program identifier. */
void ServerRegistry::unregisterServer(const QString& progId) {
    QMutexLocker lock(&registry().mutex);
    registry().factories.remove(keyOf(progId));
}

/* Tell whether a program identifier has a factory. */
bool ServerRegistry::isRegistered(const QString& progId) {
    QMutexLocker lock(&registry().mutex);
    return registry().factories.contains(keyOf(progId));
}

/* Create an application object for a program identifier. */
ServerObjectPtr ServerRegistry::create(const QString& progId) {
    Factory factory;
    {
        QMutexLocker lock(&registry().mutex);
        factory = registry().factories.value(keyOf(progId));
    }
    return factory ? factory() : nullptr;
}
