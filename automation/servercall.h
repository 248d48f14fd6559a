#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <optional>

// How a member is reached: called, read, written, or asked for an object.
enum class CallKind { Method, PropertyGet, PropertySet, SubObject };

// One call on an automation server object, as the engine wrote it.
//
// `member` is the exact member string ("Open(const QString&)", "Close (Boolean)"); `name`
// is the text before "(", trimmed ("Open", "Close"). Servers match `name` without regard
// to letter case, as COM does: "WorkBooks" and "Workbooks" are one member.
struct ServerCall {
    QString member;
    QString name;
    CallKind kind = CallKind::Method;
    QVariantList args;

    // Build a call from a member string; trailing invalid arguments are dropped.
    static ServerCall make(const QString& member, CallKind kind, const QVariantList& args);

    // True when the member's name equals `candidate`, ignoring letter case.
    bool is(const char* candidate) const;

    // The argument at `index`, or an invalid QVariant when there is none.
    QVariant arg(int index) const;

    // The argument at `index` as a whole number; nullopt when there is none or it is no
    // whole number (see toInt).
    std::optional<int> intArg(int index) const;
    // The argument at `index` as a truth value; `fallback` when there is none (see toBool).
    bool boolArg(int index, bool fallback) const;

    // The first argument as a collection's "Item" index, 1 to count, made 0-based; -1 when it
    // is no whole number in that range.
    int itemIndex(int count) const;

    // A whole number from an argument: numbers and numeric texts within int's range, without
    // a fraction; nullopt for anything else (an object reference included).
    static std::optional<int> toInt(const QVariant& value);
    // A truth value from an argument: bool, numbers, "true"/"false" texts (any case, spaces
    // around ignored); `fallback` when the argument is invalid.
    static bool toBool(const QVariant& value, bool fallback);
};
