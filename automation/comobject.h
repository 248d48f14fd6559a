#pragma once

// Windows only: the bridge from the automation surface to COM. The calls themselves go
// through the Qt-free IDispatch core (automation/com/); this adapter turns a ServerCall into
// one, QVariant arguments into COM values and back (objects included), and a failure's
// description into the reply's error.

#include "automation/com/dispatchobject.h"
#include "automation/serverobject.h"

// A ServerObject that forwards every call to a COM object.
class ComObject : public ServerObject {
public:
    explicit ComObject(DispatchObject object);

    // Bind a new COM object to a program identifier; null when COM refuses.
    static ServerObjectPtr bind(const QString& progId);

    // True when COM knows an application under progId (none is started).
    static bool isRegistered(const QString& progId);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override;
    bool runsOutOfProcess() const override { return true; }

    // An argument as a COM value: an invalid QVariant is a left-out optional argument, a COM
    // object travels as itself; an object of another kind cannot go to COM (an empty value).
    static ComValue toComValue(const QVariant& value);
    // A COM value as a QVariant: numbers, Booleans and text as themselves, an object as a
    // ServerObjectRef to a new ComObject, anything else as its text form.
    static QVariant toQVariant(const ComValue& value);

private:
    DispatchObject m_object;
};
