#pragma once

// Windows only: the bridge from the automation surface to COM through ActiveQt.

#include "automation/serverobject.h"

#include <memory>

class QAxObject;

// A ServerObject that forwards every call to a QAxObject.
class ComObject : public ServerObject {
public:
    explicit ComObject(std::unique_ptr<QAxObject> object);
    ~ComObject() override;

    // Bind a new COM object to a program identifier; null when COM refuses.
    static ServerObjectPtr bind(const QString& progId);

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override;
    bool runsOutOfProcess() const override { return true; }
    QVariant toVariant() override;

private:
    std::unique_ptr<QAxObject> m_object;
};
