#include "office/word/wordfileloader.h"

#include "office/word/doc/docreader.h"
#include "office/word/docx/docxreader.h"
#include "office/word/rtf/rtfreader.h"
#include "office/word/text/plaintextreader.h"

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

/* Tell the kind of file from its first bytes. */
WordFileLoader::ContentKind WordFileLoader::contentKind(const QByteArray& head) {
    if (head.startsWith(kZipSignature) || head.startsWith(kEmptyZipSignature)) {
        return ContentKind::Package;
    }
    if (head.startsWith(QByteArray(kOle2Signature, 8))) {
        return ContentKind::Binary;
    }
    if (RtfReader::isRtf(head)) {
        return ContentKind::Rtf;
    }
    // Markup formats (web pages, Word's XML formats) are text too: recognise them here,
    // before the plain-text fallback.
    return ContentKind::Text;
}

/* Pick the reader by the file's content, never by its name. */
WordLoadResult WordFileLoader::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return WordLoadResult::failure(
            WordLoadResult::Status::NotFound,
            QStringLiteral("cannot read the file: ") + file.errorString());
    }
    const QByteArray head = file.read(kSniffBytes);
    switch (contentKind(head)) {
        case ContentKind::Package:
            file.close();
            return DocxReader::readFile(path);
        case ContentKind::Binary:
            if (holdsEncryptedPackage(file)) {
                return WordLoadResult::failure(
                    WordLoadResult::Status::Encrypted,
                    QStringLiteral("the document is password-protected"));
            }
            file.close();
            return loadBinaryDocument(path);
        case ContentKind::Rtf:
            file.close();
            return RtfReader::readFile(path);
        case ContentKind::Text:
            // Binary content that is none of the above is refused by the text reader.
            file.close();
            return PlainTextReader::readFile(path);
    }
    return WordLoadResult::failure(WordLoadResult::Status::NotWordFile,
                                   QStringLiteral("not a Word document"));
}
