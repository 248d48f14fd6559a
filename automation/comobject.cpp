#include "automation/comobject.h"

#include <ActiveQt/QAxObject>

ComObject::ComObject(std::unique_ptr<QAxObject> object) : m_object(std::move(object)) {}

ComObject::~ComObject() = default;

/* Bind a COM application by program identifier. */
ServerObjectPtr ComObject::bind(const QString& progId) {
    auto object = std::make_unique<QAxObject>();
    if (!object->setControl(progId) || object->isNull()) {
        return nullptr;
    }
    return std::make_shared<ComObject>(std::move(object));
}

/* Forward one call to ActiveQt, keeping the member string exactly as written. */
ServerReply ComObject::invoke(const ServerCall& call) {
    const QByteArray member = call.member.toLatin1();
    QList<QVariant> args = call.args;
    switch (call.kind) {
        case CallKind::Method:
            return ServerReply::ofValue(m_object->dynamicCall(member.constData(), args));
        case CallKind::PropertyGet:
            return ServerReply::ofValue(m_object->property(member.constData()));
        case CallKind::PropertySet:
            return {m_object->setProperty(member.constData(), call.arg(0)), QVariant(), nullptr,
                    QString()};
        case CallKind::SubObject: {
            QAxObject* child = m_object->querySubObject(member.constData(), args);
            if (child == nullptr) {
                return ServerReply::failure();
            }
            child->setParent(nullptr);
            return ServerReply::ofObject(
                std::make_shared<ComObject>(std::unique_ptr<QAxObject>(child)));
        }
    }
    return ServerReply::failure();
}

/* A COM object is alive while ActiveQt holds an interface. */
bool ComObject::isAlive() const {
    return m_object && !m_object->isNull();
}

/* COM objects travel as ActiveQt's own variant. */
QVariant ComObject::toVariant() {
    return m_object->asVariant();
}
