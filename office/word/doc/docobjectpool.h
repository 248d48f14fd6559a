#pragma once

#include <QHash>
#include <QString>

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

    // Objects of `file`, which must outlive the pool; null gives a pool without objects.
    explicit DocObjectPool(const CompoundFile* file) : m_file(file) {}

    // The linear text of the equation object with this id; empty when there is no such
    // object, when it is no equation, when it cannot be read, or beyond kMaxObjects.
    QString equationText(quint32 id);

private:
    QString readEquation(quint32 id) const;

    const CompoundFile* m_file;
    QHash<quint32, QString> m_texts;
};
