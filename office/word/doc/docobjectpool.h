#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class CompoundFile;

// The embedded objects of a Word binary document (the "ObjectPool" storage: one storage
// "_<id>" per object, the id being the sprmCPicLocation of the object's character when
// sprmCFOle2 is set, MS-DOC 2.6.1) read as equations: an Equation Editor / MathType object
// ("Equation Native", MTEF) or an OpenDocument formula ("package_stream", MathML). Each object
// is read at most once; the number of objects read and the size of each stream are bounded.
class DocObjectPool {
public:
    static constexpr int kMaxObjects = 10000;
    static constexpr qint64 kMaxEquationBytes = 4 * 1024 * 1024;
    static constexpr qint64 kMaxPackageBytes = 32 * 1024 * 1024;

    // The largest streams read: an MTEF equation, an OpenDocument formula package.
    struct Limits {
        qint64 equationBytes;
        qint64 packageBytes;
    };

    // Objects of `file`, which must outlive the pool; null gives a pool without objects.
    explicit DocObjectPool(const CompoundFile* file)
        : DocObjectPool(file, Limits{kMaxEquationBytes, kMaxPackageBytes}) {}
    DocObjectPool(const CompoundFile* file, Limits limits) : m_file(file), m_limits(limits) {}

    // The linear text of the equation object with this id; empty when there is no such
    // object, when it is no equation, when it cannot be read, or beyond kMaxObjects.
    QString equationText(quint32 id);

    // The equations that were asked for but are too large to lay out, one line each for the
    // report of what the conversion lost (Word shows them; the workbook cannot).
    const QStringList& losses() const { return m_losses; }

private:
    QString readEquation(quint32 id);

    const CompoundFile* m_file;
    Limits m_limits;
    QHash<quint32, QString> m_texts;
    QStringList m_losses;
};
