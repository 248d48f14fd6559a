#include "automation/serverobject.h"

ServerObject::~ServerObject() = default;

/* Wrap this object so that it can travel as a call argument. */
QVariant ServerObject::toVariant() {
    return QVariant::fromValue(ServerObjectRef{shared_from_this()});
}

/* Unwrap an object argument; dead or missing objects give null. */
ServerObjectPtr serverObjectFromVariant(const QVariant& value) {
    if (!value.canConvert<ServerObjectRef>()) {
        return nullptr;
    }
    ServerObjectPtr object = value.value<ServerObjectRef>().object;
    return object && object->isAlive() ? object : nullptr;
}
