#include "automation/servercall.h"

#include "automation/serverobject.h"

/* Split the member string and keep the arguments the caller gave. */
ServerCall ServerCall::make(const QString& member, CallKind kind, const QVariantList& args) {
    ServerCall call;
    call.member = member;
    const int paren = member.indexOf(QLatin1Char('('));
    call.name = (paren < 0 ? member : member.left(paren)).trimmed();
    call.kind = kind;
    call.args = args;
    while (!call.args.isEmpty() && !call.args.last().isValid()) {
        call.args.removeLast();
    }
    return call;
}

/* Compare the member's name with a candidate, ignoring case. */
bool ServerCall::is(const char* candidate) const {
    return name.compare(QLatin1String(candidate), Qt::CaseInsensitive) == 0;
}

/* Return one argument, or an invalid variant when the call has fewer. */
QVariant ServerCall::arg(int index) const {
    return index >= 0 && index < args.size() ? args.at(index) : QVariant();
}

/* One argument as a whole number. */
std::optional<int> ServerCall::intArg(int index) const {
    return toInt(arg(index));
}

/* One argument as a truth value. */
bool ServerCall::boolArg(int index, bool fallback) const {
    return toBool(arg(index), fallback);
}

/* The 1-based index COM collections take, checked and made 0-based. */
int ServerCall::itemIndex(int count) const {
    const std::optional<int> index = intArg(0);
    return index && *index >= 1 && *index <= count ? *index - 1 : -1;
}

/* Numbers and numeric texts that hold a whole int; object references are no numbers. */
std::optional<int> ServerCall::toInt(const QVariant& value) {
    if (!value.isValid() || value.userType() == qMetaTypeId<ServerObjectRef>()) {
        return std::nullopt;
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    // The range test first: it also rejects NaN before the integral test converts.
    if (!ok || !(number >= -2147483647.0 && number <= 2147483647.0) ||
        number != static_cast<double>(static_cast<int>(number))) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

/* Texts "true" and "false" by their words, everything else as QVariant reads it. */
bool ServerCall::toBool(const QVariant& value, bool fallback) {
    if (!value.isValid()) {
        return fallback;
    }
    if (value.type() == QVariant::String) {
        const QString text = value.toString().trimmed().toLower();
        if (text == QLatin1String("true")) {
            return true;
        }
        if (text == QLatin1String("false")) {
            return false;
        }
    }
    return value.toBool();
}
