#pragma once

#include "automation/serverobject.h"

#include <QString>

#include <functional>

// The automation servers known by program identifier ("Word.Application").
//
// Where there is no COM the program registers the built-in office here at start-up; tests
// register recording fakes. Registration is process-wide and thread-safe; each setControl
// creates a fresh application object on the calling thread.
class ServerRegistry {
public:
    using Factory = std::function<ServerObjectPtr()>;

    // Register (or replace) the factory for a program identifier (case-insensitive).
    static void registerServer(const QString& progId, Factory factory);

    // Forget a program identifier; later binds to it fail.
    static void unregisterServer(const QString& progId);

    // True when a factory is registered for the identifier.
    static bool isRegistered(const QString& progId);

    // A new application object, or null when nothing answers to the identifier.
    static ServerObjectPtr create(const QString& progId);
};
