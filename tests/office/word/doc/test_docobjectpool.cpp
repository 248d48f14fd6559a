#include "office/word/doc/docobjectpool.h"

#include "office/ole/compoundfile.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

/* The bytes of a file, empty when unreadable. */
QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(DocObjectPool, ReadsEquationObjectsByIdAndNothingElse) {
    // LibreOffice numbers its objects down from 2^31 - 1; the first is the paragraph's.
    const QByteArray bytes = fileBytes(QStringLiteral("tests/data/doc/equations.doc"));
    const CompoundFile file(bytes);
    ASSERT_TRUE(file.isOpen());
    DocObjectPool pool(&file);
    EXPECT_EQ(pool.equationText(2147483647u), QStringLiteral("(a+b)/2"));
    EXPECT_EQ(pool.equationText(2147483642u), QStringLiteral("(■(a&b@c&d))"));
    EXPECT_EQ(pool.equationText(2147483647u), QStringLiteral("(a+b)/2"));  // kept
    EXPECT_EQ(pool.equationText(12345u), QString());                       // no such storage

    // An OpenDocument formula object.
    const QByteArray corpus = fileBytes(QStringLiteral("../shared/corpus/doc/equation.doc"));
    const CompoundFile odf(corpus);
    DocObjectPool formulas(&odf);
    EXPECT_EQ(formulas.equationText(60575120u), QStringLiteral("a^n+b^n=c^n;n>2"));

    DocObjectPool none(nullptr);
    EXPECT_EQ(none.equationText(2147483647u), QString());
    EXPECT_TRUE(pool.losses().isEmpty());
    EXPECT_TRUE(formulas.losses().isEmpty());
}

TEST(DocObjectPool, EquationsBeyondTheLimitsAreNamedAsLost) {
    const QByteArray mtefBytes = fileBytes(QStringLiteral("tests/data/doc/equations.doc"));
    const CompoundFile mtef(mtefBytes);
    DocObjectPool pool(&mtef, DocObjectPool::Limits{16, 16});
    EXPECT_EQ(pool.equationText(2147483647u), QString());
    EXPECT_EQ(pool.equationText(2147483647u), QString());  // asked twice, named once
    EXPECT_EQ(pool.equationText(12345u), QString());       // no object: nothing lost
    EXPECT_EQ(
        pool.losses(),
        QStringList{QStringLiteral("equation object _2147483647 too large to lay out, left out")});

    const QByteArray odfBytes = fileBytes(QStringLiteral("../shared/corpus/doc/equation.doc"));
    const CompoundFile odf(odfBytes);
    DocObjectPool formulas(&odf, DocObjectPool::Limits{DocObjectPool::kMaxEquationBytes, 64});
    EXPECT_EQ(formulas.equationText(60575120u), QString());
    EXPECT_EQ(formulas.losses().size(), 1);
}

TEST(DocObjectPool, StreamsInsideStoragesAreFoundByPath) {
    const QByteArray bytes = fileBytes(QStringLiteral("tests/data/doc/equations.doc"));
    const CompoundFile file(bytes);
    QByteArray stream;
    EXPECT_EQ(file.readStream({"ObjectPool", "_2147483647", "Equation Native"}, 1 << 20, stream),
              CompoundFile::Stream::Ok);
    EXPECT_EQ(stream.left(2), QByteArray("\x1c\x00", 2));
    EXPECT_EQ(file.readStream({"ObjectPool", "_2147483647", "Equation Native"}, 10, stream),
              CompoundFile::Stream::TooLarge);
    EXPECT_EQ(file.readStream({"ObjectPool", "_1", "Equation Native"}, 1 << 20, stream),
              CompoundFile::Stream::Absent);
}

}  // namespace
