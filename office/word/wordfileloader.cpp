#include "office/word/wordfileloader.h"

#include "office/word/doc/docreader.h"
#include "office/word/docx/docxreader.h"

#include <QFile>

namespace {

// Signatures of the two containers Word files come in.
const char kZipSignature[] = "PK\x03\x04";
const char kEmptyZipSignature[] = "PK\x05\x06";
const char kOle2Signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

/* True when an OLE2 file holds an EncryptedPackage stream (a password-protected package). */
bool holdsEncryptedPackage(QFile& file) {
    // Directory entry names are UTF-16LE; the stream name is enough to tell.
    const QByteArray name =
        QByteArray::fromRawData(reinterpret_cast<const char*>(u"EncryptedPackage"), 2 * 16);
    file.seek(0);
    QByteArray window;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(1 << 16);
        if (chunk.isEmpty()) {
            break;
        }
        window = window.right(name.size()) + chunk;
        if (window.contains(name)) {
            return true;
        }
    }
    return false;
}

/* Word 97-2003 binary documents (OLE2 with a WordDocument stream). */
WordLoadResult loadBinaryDocument(const QString& path) {
    return DocReader::readFile(path);
}

}  // namespace

/* Pick the reader by the file's content: ZIP package or OLE2 compound file. */
WordLoadResult WordFileLoader::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return WordLoadResult::failure(
            WordLoadResult::Status::NotFound,
            QStringLiteral("cannot read the file: ") + file.errorString());
    }
    const QByteArray head = file.read(8);
    if (head.startsWith(kZipSignature) || head.startsWith(kEmptyZipSignature)) {
        file.close();
        return DocxReader::readFile(path);
    }
    if (head == QByteArray(kOle2Signature, 8)) {
        if (holdsEncryptedPackage(file)) {
            return WordLoadResult::failure(WordLoadResult::Status::Encrypted,
                                           QStringLiteral("the document is password-protected"));
        }
        file.close();
        return loadBinaryDocument(path);
    }
    return WordLoadResult::failure(WordLoadResult::Status::WrongFormat,
                                   QStringLiteral("not a Word document"));
}
