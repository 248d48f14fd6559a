#include "tests/automation/fakeoffice.h"

#include "automation/serverregistry.h"

#include <QFile>
#include <QHash>

#include <vector>

struct FakeState {
    QList<FakeCall> calls;
    QHash<QString, FakeOffice::Handler> rules;
    QSet<QString> unopenable;
    QString lastOpened;
    int tableCount = 0;
    bool outOfProcess = false;
    QHash<QString, int> binds;
    std::vector<std::shared_ptr<FakeObject>> sheets;
    int nextSheetId = 1;
    std::shared_ptr<FakeObject> book;
    std::shared_ptr<FakeObject> sheetCollection;
    int liveObjects = 0;
};

namespace {

const char* const wordId = "Word.Application";
const char* const excelId = "Excel.Application";

/* The key of a scripted member. */
QString ruleKey(const QString& object, const QString& member) {
    return object + QLatin1Char('|') + member.toLower();
}

/* One argument as the log shows it. */
QString argumentText(const QVariant& value) {
    if (value.userType() == qMetaTypeId<ServerObjectRef>()) {
        const auto* object = dynamic_cast<FakeObject*>(value.value<ServerObjectRef>().object.get());
        return object ? QLatin1Char('<') + object->label() + QLatin1Char('>')
                      : QStringLiteral("<?>");
    }
    if (value.type() == QVariant::String) {
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    }
    if (value.type() == QVariant::Bool) {
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    }
    return value.toString();
}

/* The label suffix of a sub-object: its numeric arguments, if any. */
QString numericArguments(const QVariantList& args) {
    QStringList parts;
    for (const QVariant& arg : args) {
        if (arg.type() != QVariant::Int) {
            return QString();
        }
        parts << arg.toString();
    }
    return parts.isEmpty() ? QString()
                           : QLatin1Char('(') + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

/* The position of a sheet in the model, or -1. */
int sheetIndex(const FakeState& state, const ServerObjectPtr& object) {
    for (std::size_t i = 0; i < state.sheets.size(); ++i) {
        if (state.sheets[i] == object) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

/* The behaviour of one sheet of the model. */
std::optional<ServerReply> sheetMember(FakeState* state, FakeObject& self, const ServerCall& call) {
    const int index = sheetIndex(*state, self.shared_from_this());
    if (call.is("Delete") && index >= 0) {
        state->sheets.erase(state->sheets.begin() + index);
        self.kill();
        return ServerReply::done();
    }
    if (call.is("Move") && index >= 0) {
        const ServerObjectPtr before = serverObjectFromVariant(call.arg(0));
        if (sheetIndex(*state, before) < 0) {
            return ServerReply::failure();
        }
        if (before.get() == &self) {
            return ServerReply::done();
        }
        std::shared_ptr<FakeObject> moving = state->sheets[index];
        state->sheets.erase(state->sheets.begin() + index);
        state->sheets.insert(state->sheets.begin() + sheetIndex(*state, before), moving);
        return ServerReply::done();
    }
    if (call.is("Name") && call.kind == CallKind::PropertySet) {
        self.name = call.arg(0).toString();
        return ServerReply::done();
    }
    if (call.is("Name") && call.kind == CallKind::PropertyGet) {
        return ServerReply::ofValue(self.name);
    }
    return std::nullopt;
}

/* A new sheet of the model. */
std::shared_ptr<FakeObject> newSheet(const std::shared_ptr<FakeState>& state) {
    const int id = state->nextSheetId++;
    auto sheet =
        std::make_shared<FakeObject>(state, QStringLiteral("Sheet#") + QString::number(id));
    sheet->name = QStringLiteral("Sheet") + QString::number(id);
    FakeState* raw = state.get();
    sheet->setHandler(
        [raw](FakeObject& self, const ServerCall& call) { return sheetMember(raw, self, call); });
    return sheet;
}

/* The behaviour of the model's sheet collection. */
std::optional<ServerReply> sheetsMember(const std::shared_ptr<FakeState>& state,
                                        const ServerCall& call) {
    if (call.is("Count")) {
        return ServerReply::ofValue(static_cast<int>(state->sheets.size()));
    }
    if (call.is("Item")) {
        const int position = call.arg(0).toInt();
        if (position < 1 || position > static_cast<int>(state->sheets.size())) {
            return ServerReply::failure();
        }
        return ServerReply::ofObject(state->sheets[position - 1]);
    }
    if (call.is("Add")) {
        const int before =
            call.args.isEmpty() ? 0 : sheetIndex(*state, serverObjectFromVariant(call.arg(0)));
        if (before < 0) {
            return ServerReply::failure();
        }
        state->sheets.insert(state->sheets.begin() + before, newSheet(state));
        return ServerReply::done();
    }
    return std::nullopt;
}

/* The behaviour of the model's workbook. */
std::optional<ServerReply> bookMember(const std::shared_ptr<FakeState>& state,
                                      const QString& failingSavePart, const ServerCall& call) {
    if (call.is("Sheets")) {
        return ServerReply::ofObject(state->sheetCollection);
    }
    if (call.is("SaveAs")) {
        const QString path = call.arg(0).toString();
        if (!failingSavePart.isEmpty() && path.contains(failingSavePart)) {
            return ServerReply::failure();
        }
        QFile file(path);
        const bool written = file.open(QIODevice::WriteOnly) && file.write("workbook") == 8;
        return written ? ServerReply::done() : ServerReply::failure();
    }
    return std::nullopt;
}

}  // namespace

/* The call as one readable line. */
QString FakeCall::text() const {
    static const char* const prefixes[] = {"", "get ", "set ", "sub "};
    QString line =
        object + QStringLiteral(": ") + QLatin1String(prefixes[static_cast<int>(kind)]) + member;
    if (!argumentTexts.isEmpty()) {
        line += QStringLiteral(" <- ") + argumentTexts.join(QStringLiteral(", "));
    }
    return line;
}

/* Register both applications. */
FakeOffice::FakeOffice() : m_state(std::make_shared<FakeState>()) {
    std::shared_ptr<FakeState> state = m_state;
    ServerRegistry::registerServer(QLatin1String(wordId), [state]() -> ServerObjectPtr {
        ++state->binds[QLatin1String(wordId)];
        return std::make_shared<FakeObject>(state, QStringLiteral("Word"));
    });
    ServerRegistry::registerServer(QLatin1String(excelId), [state]() -> ServerObjectPtr {
        ++state->binds[QLatin1String(excelId)];
        return std::make_shared<FakeObject>(state, QStringLiteral("Excel"));
    });
}

/* Unregister and break the cycles between the state and the model's objects. */
FakeOffice::~FakeOffice() {
    ServerRegistry::unregisterServer(QLatin1String(wordId));
    ServerRegistry::unregisterServer(QLatin1String(excelId));
    m_state->rules.clear();
    m_state->calls.clear();  // object arguments keep their objects, and those the state
    m_state->sheets.clear();
    m_state->book.reset();
    m_state->sheetCollection.reset();
}

/* Script a value. */
void FakeOffice::answerValue(const QString& object, const QString& member, const QVariant& value) {
    answerWith(object, member,
               [value](FakeObject&, const ServerCall&) { return ServerReply::ofValue(value); });
}

/* Script a failure. */
void FakeOffice::answerMissing(const QString& object, const QString& member) {
    answerWith(object, member,
               [](FakeObject&, const ServerCall&) { return ServerReply::failure(); });
}

/* Script any answer. */
void FakeOffice::answerWith(const QString& object, const QString& member, Handler handler) {
    m_state->rules.insert(ruleKey(object, member), std::move(handler));
}

/* Mark a path Word cannot open. */
void FakeOffice::cannotOpen(const QString& path) {
    m_state->unopenable.insert(path);
}

/* Set the number of tables of every document. */
void FakeOffice::setTableCount(int count) {
    m_state->tableCount = count;
}

/* Forget one application. */
void FakeOffice::removeApplication(const QString& progId) {
    ServerRegistry::unregisterServer(progId);
}

/* Claim an out-of-process application. */
void FakeOffice::setOutOfProcess(bool outOfProcess) {
    m_state->outOfProcess = outOfProcess;
}

/* Install the workbook with its sheet collection. */
void FakeOffice::useSheetModel(int initialSheets, const QString& failingSavePart) {
    std::shared_ptr<FakeState> state = m_state;
    state->sheets.clear();
    for (int i = 0; i < initialSheets; ++i) {
        state->sheets.push_back(newSheet(state));
    }
    state->sheetCollection = std::make_shared<FakeObject>(state, QStringLiteral("Sheets"));
    state->sheetCollection->setHandler(
        [](FakeObject& self, const ServerCall& call) { return sheetsMember(self.state(), call); });
    state->book = std::make_shared<FakeObject>(state, QStringLiteral("Book"));
    state->book->setHandler([failingSavePart](FakeObject& self, const ServerCall& call) {
        return bookMember(self.state(), failingSavePart, call);
    });
    FakeState* raw = state.get();
    answerWith(QStringLiteral("Excel"), QStringLiteral("ActiveWorkBook"),
               [raw](FakeObject&, const ServerCall&) { return ServerReply::ofObject(raw->book); });
}

/* The model's sheets in workbook order. */
QStringList FakeOffice::sheetLabels() const {
    QStringList labels;
    for (const auto& sheet : m_state->sheets) {
        labels << sheet->label();
    }
    return labels;
}

/* The model's sheet names in workbook order. */
QStringList FakeOffice::sheetNames() const {
    QStringList names;
    for (const auto& sheet : m_state->sheets) {
        names << sheet->name;
    }
    return names;
}

/* Every call so far. */
QList<FakeCall> FakeOffice::calls() const {
    return m_state->calls;
}

/* Every call as text. */
QStringList FakeOffice::log(const QString& root) const {
    QStringList lines;
    for (const FakeCall& call : m_state->calls) {
        QString line = call.text();
        if (!root.isEmpty()) {
            line.replace(root, QStringLiteral("<root>"));
        }
        lines << line;
    }
    return lines;
}

/* The calls whose text contains a part. */
QStringList FakeOffice::logContaining(const QString& part, const QString& root) const {
    return log(root).filter(part);
}

/* The fake's objects that still exist. */
int FakeOffice::liveObjects() const {
    return m_state->liveObjects;
}

/* How often an identifier was bound. */
int FakeOffice::bindCount(const QString& progId) const {
    return m_state->binds.value(progId);
}

FakeObject::FakeObject(std::shared_ptr<FakeState> state, QString label)
    : m_state(std::move(state)), m_label(std::move(label)) {
    ++m_state->liveObjects;
}

FakeObject::~FakeObject() {
    --m_state->liveObjects;
}

/* The fake applications claim what the script says. */
bool FakeObject::runsOutOfProcess() const {
    return m_state->outOfProcess;
}

/* Record the call, then answer from the script, the object's own handler or the defaults. */
ServerReply FakeObject::invoke(const ServerCall& call) {
    // Objects are recorded by label only: a log that held them would keep them alive.
    FakeCall recorded{m_label, call.member, call.kind, {}, {}};
    for (const QVariant& arg : call.args) {
        recorded.argumentTexts << argumentText(arg);
        const bool isObject = arg.userType() == qMetaTypeId<ServerObjectRef>();
        recorded.args << (isObject ? QVariant(recorded.argumentTexts.last()) : arg);
    }
    m_state->calls.append(recorded);
    const auto rule = m_state->rules.constFind(ruleKey(m_label, call.name));
    if (rule != m_state->rules.constEnd()) {
        if (std::optional<ServerReply> reply = (*rule)(*this, call)) {
            return *reply;
        }
    }
    if (m_handler) {
        if (std::optional<ServerReply> reply = m_handler(*this, call)) {
            return *reply;
        }
    }
    return defaultAnswer(call);
}

/* What an unscripted member answers. */
ServerReply FakeObject::defaultAnswer(const ServerCall& call) {
    if (call.is("Open") && call.kind == CallKind::Method) {
        m_state->lastOpened = call.arg(0).toString();
        return ServerReply::done();
    }
    if (call.is("ActiveDocument") && m_state->unopenable.contains(m_state->lastOpened)) {
        return ServerReply::failure();
    }
    if (call.is("Count") && m_label.endsWith(QLatin1String(".Tables"))) {
        return ServerReply::ofValue(m_state->tableCount);
    }
    switch (call.kind) {
        case CallKind::SubObject:
            return ServerReply::ofObject(std::make_shared<FakeObject>(
                m_state, m_label + QLatin1Char('.') + call.name + numericArguments(call.args)));
        case CallKind::PropertyGet:
            return ServerReply::failure();
        case CallKind::Method:
        case CallKind::PropertySet:
            break;
    }
    return ServerReply::done();
}
