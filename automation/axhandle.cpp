#include "automation/axhandle.h"

/* Ask for a sub-object and give it an owner of its own. */
AxHandle subObject(AxObject* from, const char* member, const QVariant& v1, const QVariant& v2) {
    if (from == nullptr) {
        return nullptr;
    }
    AxObject* child = from->querySubObject(member, v1, v2);
    if (child != nullptr) {
        child->setParent(nullptr);
    }
    return AxHandle(child);
}

/* Call a member unless the handle is missing. */
QVariant callOn(AxObject* on, const char* member, const QVariant& v1, const QVariant& v2) {
    return on == nullptr ? QVariant() : on->dynamicCall(member, v1, v2);
}

/* Call a member with a list of arguments unless the handle is missing. */
QVariant callWith(AxObject* on, const char* member, QList<QVariant> args) {
    return on == nullptr ? QVariant() : on->dynamicCall(member, args);
}

/* Read a count by property or method; anything unusable counts as 0. */
int readCount(AxObject* on, const char* member, bool asProperty) {
    if (on == nullptr) {
        return 0;
    }
    bool ok = false;
    const int count = (asProperty ? on->readProperty(member) : on->dynamicCall(member)).toInt(&ok);
    return ok && count > 0 ? count : 0;
}
