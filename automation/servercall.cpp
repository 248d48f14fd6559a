#include "automation/servercall.h"

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

/* The 1-based index COM collections take, checked and made 0-based. */
int ServerCall::itemIndex(int count) const {
    bool ok = false;
    const int index = arg(0).toInt(&ok);
    return ok && index >= 1 && index <= count ? index - 1 : -1;
}
