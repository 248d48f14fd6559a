#include "automation/comobject.h"

#include <vector>

/* Wrap a COM object. */
ComObject::ComObject(DispatchObject object) : m_object(std::move(object)) {}

/* Bind a COM application by program identifier. */
ServerObjectPtr ComObject::bind(const QString& progId) {
    DispatchObject object = DispatchObject::create(progId.toStdWString());
    if (object.isNull()) {
        return nullptr;
    }
    return std::make_shared<ComObject>(std::move(object));
}

/* Ask COM whether the identifier names a class. */
bool ComObject::isRegistered(const QString& progId) {
    return DispatchObject::isRegistered(progId.toStdWString());
}

/* Forward one call to the COM object, member string as written. */
ServerReply ComObject::invoke(const ServerCall& call) {
    std::vector<ComValue> args;
    for (const QVariant& arg : call.args) {
        args.push_back(toComValue(arg));
    }
    const std::wstring member = call.member.toStdWString();
    DispatchReply reply;
    switch (call.kind) {
        case CallKind::Method:
        case CallKind::SubObject:
            reply = m_object.call(member, args);
            break;
        case CallKind::PropertyGet:
            reply = m_object.get(member, args);
            break;
        case CallKind::PropertySet:
            reply = m_object.put(member, args);
            break;
    }
    if (!reply.ok) {
        return ServerReply::failure(QString::fromStdWString(reply.error));
    }
    if (call.kind == CallKind::SubObject) {
        DispatchObject child = reply.object();
        if (child.isNull()) {
            return ServerReply::failure(call.name + QStringLiteral(" gave no object"));
        }
        return ServerReply::ofObject(std::make_shared<ComObject>(std::move(child)));
    }
    return ServerReply::ofValue(toQVariant(reply.value));
}

/* A COM object is alive while we hold an interface. */
bool ComObject::isAlive() const {
    return !m_object.isNull();
}

/* The COM value for one argument. */
ComValue ComObject::toComValue(const QVariant& value) {
    if (!value.isValid()) {
        return ComValue::missing();
    }
    if (value.canConvert<ServerObjectRef>()) {
        const auto* com = dynamic_cast<const ComObject*>(serverObjectFromVariant(value).get());
        return com != nullptr ? ComValue::ofObject(com->m_object.dispatch()) : ComValue();
    }
    switch (static_cast<QMetaType::Type>(value.type())) {
        case QMetaType::Bool:
            return ComValue::ofBool(value.toBool());
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
            return ComValue::ofInt(value.toInt());
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            return ComValue::ofInt64(value.toLongLong());
        case QMetaType::Double:
        case QMetaType::Float:
            return ComValue::ofDouble(value.toDouble());
        default:
            return ComValue::ofString(value.toString().toStdWString());
    }
}

/* The QVariant for a COM value. */
QVariant ComObject::toQVariant(const ComValue& value) {
    DispatchObject object = DispatchObject::fromValue(value);
    if (!object.isNull()) {
        return QVariant::fromValue(ServerObjectRef{std::make_shared<ComObject>(std::move(object))});
    }
    switch (value.type()) {
        case VT_EMPTY:
        case VT_NULL:
            return QVariant();
        case VT_BOOL:
            return QVariant(value.toInt64() != 0);
        case VT_I1:
        case VT_I2:
        case VT_I4:
        case VT_INT:
        case VT_UI1:
        case VT_UI2:
            return QVariant(static_cast<int>(value.toInt64()));
        case VT_UI4:
        case VT_UINT:
        case VT_I8:
        case VT_UI8:
            return QVariant(static_cast<qlonglong>(value.toInt64()));
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DECIMAL:
            return QVariant(value.toDouble());
        default:
            return QVariant(QString::fromStdWString(value.toString()));
    }
}
