#pragma once

// A recording fake of the office applications for the job's tests.
//
// - FakeOffice (here): registers itself as "Word.Application" and "Excel.Application" while
//   it lives, records every call on every object it hands out, and answers from a script.
// - FakeObject: one object of the fake; its label tells how it was reached ("Word",
//   "Word.Documents", "Word.ActiveDocument.Tables.Item(2)").
//
// Without a script a sub-object is always there (labelled parent + "." + member name, with
// its numeric arguments), a method succeeds with no value and a property read fails. The
// sheet model (useSheetModel) adds a workbook whose sheets behave as Excel's do: Add inserts
// before its argument, Move moves, Delete removes, Count counts, Item finds by position.

#include "automation/serverobject.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

class FakeObject;

// One call the fake received, with the object's label.
struct FakeCall {
    QString object;
    QString member;
    CallKind kind = CallKind::Method;
    QVariantList args;  // an object argument is kept as its label text, not as the object
    QStringList argumentTexts;

    // "Word.Documents: Open(const QString&) <- \"a.doc\"", "Word: set DisplayAlerts <- false",
    // "Word: sub Documents", "Sheets: get Count".
    QString text() const;
};

struct FakeState;

class FakeOffice {
public:
    // Answers a call, or nothing to fall back to the default answer.
    using Handler = std::function<std::optional<ServerReply>(FakeObject& self, const ServerCall&)>;

    FakeOffice();
    ~FakeOffice();
    FakeOffice(const FakeOffice&) = delete;
    FakeOffice& operator=(const FakeOffice&) = delete;

    // Script: the member named `member` (any letter case) of the object labelled `object`.
    void answerValue(const QString& object, const QString& member, const QVariant& value);
    void answerMissing(const QString& object, const QString& member);
    void answerWith(const QString& object, const QString& member, Handler handler);

    // Word fails to open this path: "ActiveDocument" gives no object after its "Open".
    void cannotOpen(const QString& path);
    // The document opened last has this many tables ("Tables" "Count()").
    void setTableCount(int count);
    // No application answers to the identifier ("Excel.Application": no office suite).
    void removeApplication(const QString& progId);
    // The applications claim to run in another process (as COM ones do).
    void setOutOfProcess(bool outOfProcess);

    // A workbook with `initialSheets` sheets behind "ActiveWorkBook"; "SaveAs" writes a small
    // file at its path unless the path contains `failingSavePart` (when not empty).
    void useSheetModel(int initialSheets, const QString& failingSavePart = QString());
    // The sheet labels in workbook order (with the sheet model), and their names.
    QStringList sheetLabels() const;
    QStringList sheetNames() const;

    QList<FakeCall> calls() const;
    // Every call as text, with `root` (when given) replaced by "<root>".
    QStringList log(const QString& root = QString()) const;
    // The log lines that contain `part`.
    QStringList logContaining(const QString& part, const QString& root = QString()) const;
    // The number of the fake's objects still alive (held by a handle, the script or the model).
    int liveObjects() const;
    // How often an application was bound.
    int bindCount(const QString& progId) const;

private:
    std::shared_ptr<FakeState> m_state;
};

class FakeObject : public ServerObject {
public:
    FakeObject(std::shared_ptr<FakeState> state, QString label);
    ~FakeObject() override;

    ServerReply invoke(const ServerCall& call) override;
    bool isAlive() const override { return m_alive; }
    bool runsOutOfProcess() const override;

    const QString& label() const { return m_label; }
    const std::shared_ptr<FakeState>& state() const { return m_state; }
    void kill() { m_alive = false; }
    // A handler of this object's own, asked after the script.
    void setHandler(FakeOffice::Handler handler) { m_handler = std::move(handler); }

    QString name;  // the sheet name (sheet model)

private:
    ServerReply defaultAnswer(const ServerCall& call);

    std::shared_ptr<FakeState> m_state;
    QString m_label;
    bool m_alive = true;
    FakeOffice::Handler m_handler;
};
