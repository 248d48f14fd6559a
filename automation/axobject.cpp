#include "automation/axobject.h"

#include "automation/serverregistry.h"

#ifdef Q_OS_WIN
#include "automation/comobject.h"
#endif

namespace {

/* Collect up to ten call arguments into a list. */
QVariantList argumentList(std::initializer_list<const QVariant*> values) {
    QVariantList list;
    for (const QVariant* value : values) {
        list.append(*value);
    }
    return list;
}

/* Find the application object for a program identifier. */
ServerObjectPtr createApplication(const QString& progId) {
    ServerObjectPtr object = ServerRegistry::create(progId);
#ifdef Q_OS_WIN
    if (!object) {
        object = ComObject::bind(progId);
    }
#endif
    return object;
}

}  // namespace

AxObject::AxObject(QObject* parent) : QObject(parent) {}

AxObject::AxObject(ServerObjectPtr object, QObject* parent)
    : QObject(parent), m_object(std::move(object)) {}

AxObject::~AxObject() = default;

/* Bind to an application; the same identifier again keeps the running one. */
bool AxObject::setControl(const QString& progId) {
    if (m_object && m_control.compare(progId, Qt::CaseInsensitive) == 0) {
        return true;
    }
    m_object = createApplication(progId);
    m_control = m_object ? progId : QString();
    return m_object != nullptr;
}

/* A handle is null without an object or once its object died. */
bool AxObject::isNull() const {
    return !m_object || !m_object->isAlive();
}

/* Ask the object whether its application lives in another process. */
bool AxObject::runsOutOfProcess() const {
    return m_object && m_object->runsOutOfProcess();
}

/* Send one call to the server object, unless the handle is null. */
ServerReply AxObject::invoke(const char* member, CallKind kind, const QVariantList& args) const {
    if (isNull() || member == nullptr) {
        m_lastError.clear();
        return ServerReply::failure();
    }
    ServerReply reply = m_object->invoke(ServerCall::make(QString::fromLatin1(member), kind, args));
    m_lastError = reply.ok ? QString() : reply.error;
    return reply;
}

/* Call a member with positional arguments. */
QVariant AxObject::dynamicCall(const char* member, const QVariant& v1, const QVariant& v2,
                               const QVariant& v3, const QVariant& v4, const QVariant& v5,
                               const QVariant& v6, const QVariant& v7, const QVariant& v8,
                               const QVariant& v9, const QVariant& v10) {
    QVariantList args = argumentList({&v1, &v2, &v3, &v4, &v5, &v6, &v7, &v8, &v9, &v10});
    return dynamicCall(member, args);
}

/* Call a member with a list of arguments. */
QVariant AxObject::dynamicCall(const char* member, QList<QVariant>& vars) {
    const ServerReply reply = invoke(member, CallKind::Method, vars);
    if (reply.object) {
        return reply.object->toVariant();
    }
    return reply.ok ? reply.value : QVariant();
}

/* Ask for a sub-object with positional arguments. */
AxObject* AxObject::querySubObject(const char* member, const QVariant& v1, const QVariant& v2,
                                   const QVariant& v3, const QVariant& v4, const QVariant& v5,
                                   const QVariant& v6, const QVariant& v7, const QVariant& v8) {
    QVariantList args = argumentList({&v1, &v2, &v3, &v4, &v5, &v6, &v7, &v8});
    return querySubObject(member, args);
}

/* Ask for a sub-object with a list of arguments. */
AxObject* AxObject::querySubObject(const char* member, QList<QVariant>& vars) {
    const ServerReply reply = invoke(member, CallKind::SubObject, vars);
    if (!reply.ok || !reply.object || !reply.object->isAlive()) {
        return nullptr;
    }
    return new AxObject(reply.object, this);
}

/* Read a property. */
QVariant AxObject::readProperty(const char* name) const {
    const ServerReply reply = invoke(name, CallKind::PropertyGet, {});
    return reply.ok ? reply.value : QVariant();
}

/* Write a property. */
bool AxObject::writeProperty(const char* name, const QVariant& value) {
    return invoke(name, CallKind::PropertySet, {value}).ok;
}

/* Wrap the object for use as an argument. */
QVariant AxObject::asVariant() const {
    return isNull() ? QVariant() : m_object->toVariant();
}

/* The object behind the handle. */
ServerObjectPtr AxObject::serverObject() const {
    return isNull() ? nullptr : m_object;
}
