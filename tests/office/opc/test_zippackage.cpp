#include "office/opc/zippackage.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// Archives as another writer (Python's zipfile) makes them, in the forms a reader meets:
// ZIP64 records throughout (its size limits lowered to zero), stored parts, a program stub in
// front, a comment behind; and a stored part with one byte changed, which its CRC-32 catches.
const char kWriter[] = R"(
import io, sys, zipfile
out = sys.argv[1]
def build(compression, comment=b''):
    data = io.BytesIO()
    with zipfile.ZipFile(data, 'w', compression) as z:
        z.comment = comment
        z.writestr('first.txt', b'zipped ' * 20)
        z.writestr('dir/Second.xml', b'<second/>')
    return data.getvalue()
forms = {'deflated': build(zipfile.ZIP_DEFLATED), 'stored': build(zipfile.ZIP_STORED),
         'comment': build(zipfile.ZIP_DEFLATED, b'written by a test')}
forms['stub'] = b'MZ' + bytes(510) + forms['deflated']
damaged = bytearray(forms['stored']); damaged[damaged.find(b'zipped')] ^= 1
forms['damaged'] = bytes(damaged)
zipfile.ZIP64_LIMIT = zipfile.ZIP_FILECOUNT_LIMIT = 0
forms['zip64'] = build(zipfile.ZIP_DEFLATED)
for name, data in forms.items():
    open(out + '/' + name + '.zip', 'wb').write(data)
)";

TEST(ZipPackage, ArchivesOfAnotherWriterInEveryForm) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(kWriter), dir.path()});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    for (const char* form : {"deflated", "stored", "comment", "stub", "zip64", "damaged"}) {
        QFile file(dir.filePath(QString::fromLatin1(form) + QStringLiteral(".zip")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << form;
        ZipPackage zip{PackageLimits()};
        ASSERT_TRUE(zip.open(&file)) << form;
        QByteArray part;
        const bool damaged = qstrcmp(form, "damaged") == 0;
        EXPECT_EQ(zip.readPart(QStringLiteral("first.txt"), part),
                  damaged ? OpcPackage::Status::Damaged : OpcPackage::Status::Ok)
            << form;
        if (!damaged) {
            EXPECT_EQ(part, QByteArray("zipped ").repeated(20)) << form;
        }
        EXPECT_EQ(zip.readPart(QStringLiteral("DIR/second.xml"), part), OpcPackage::Status::Ok)
            << form;  // names compared without regard to case
        EXPECT_EQ(part, QByteArray("<second/>")) << form;
        EXPECT_EQ(zip.readPart(QStringLiteral("third.txt"), part), OpcPackage::Status::Missing);
    }
}

TEST(ZipPackage, NoArchiveDoesNotOpen) {
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("PK\x03\x04 truncated"), QByteArray(1000, 'x')}) {
        QByteArray data = bytes;
        QBuffer buffer(&data);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        ZipPackage zip{PackageLimits()};
        EXPECT_FALSE(zip.open(&buffer)) << bytes.size();
    }
}

}  // namespace
