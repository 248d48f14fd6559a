#include "office/word/wordfileloader.h"

#include "office/word/doc/docreader.h"
#include "office/word/docx/docxreader.h"
#include "office/word/html/htmlreader.h"
#include "office/word/html/mhtmlreader.h"
#include "office/word/rtf/rtfreader.h"
#include "office/word/text/plaintextreader.h"
#include "office/word/xml/wordxmlreader.h"
#include "office/word/model/wordreadlimits.h"
#include "office/xml/xmlreader.h"

#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <optional>
#include <utility>

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

/* True when `text` at `pos` starts with `prefix`, ASCII letters compared without case. */
bool startsWithAt(const QByteArray& text, int pos, const char* prefix) {
    const int length = static_cast<int>(qstrlen(prefix));
    return pos + length <= text.size() &&
           qstrnicmp(text.constData() + pos, prefix, static_cast<uint>(length)) == 0;
}

/* True when the first line is a MIME header and the header block declares a multipart body. */
bool isWebArchive(const QByteArray& head) {
    const int firstColon = head.indexOf(':');
    const int firstBreak = head.indexOf('\n');
    if (firstColon <= 0 || (firstBreak >= 0 && firstBreak < firstColon)) {
        return false;
    }
    for (int i = 0; i < firstColon; ++i) {
        const char c = head[i];
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-')) {
            return false;
        }
    }
    int end = head.indexOf("\n\n");
    const int crlfEnd = head.indexOf("\r\n\r\n");
    if (end < 0 || (crlfEnd >= 0 && crlfEnd < end)) {
        end = crlfEnd;
    }
    const QByteArray type =
        MhtmlReader::headerValue(end < 0 ? head : head.left(end), "Content-Type").toLower();
    return type.startsWith("multipart/related") || type.startsWith("multipart/mixed");
}

// The text formats Word recognises by their first bytes.
enum class MarkupKind : std::uint8_t { None, WebPage, WebArchive, WordXml };

/* The first bytes without their byte order mark; UTF-16 narrowed to one byte a character
   (markup is ASCII, so every other byte is enough to recognise it). */
QByteArray withoutByteOrderMark(QByteArray head) {
    if (head.startsWith("\xEF\xBB\xBF")) {
        head.remove(0, 3);
    } else if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        QByteArray narrow;
        for (int i = head.startsWith("\xFF\xFE") ? 2 : 3; i < head.size(); i += 2) {
            narrow += head[i];
        }
        head = narrow;
    }
    return head;
}

// The start of a markup file up to its first element.
struct Prolog {
    int end = 0;               // where the first element starts
    bool htmlDoctype = false;  // an HTML document type came first (end stops at it)
};

/* Where the first element starts, after white space, comments, processing instructions and a
   document type declaration; stops at an HTML document type and says so. */
Prolog skipProlog(const QByteArray& head) {
    Prolog prolog;
    int& pos = prolog.end;
    while (pos < head.size()) {
        const char c = head[pos];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
            ++pos;
        } else if (startsWithAt(head, pos, "<!--")) {
            const int end = head.indexOf("-->", pos + 4);
            pos = end < 0 ? head.size() : end + 3;
        } else if (startsWithAt(head, pos, "<!doctype html")) {
            prolog.htmlDoctype = true;
            break;
        } else if (startsWithAt(head, pos, "<!doctype")) {
            // An internal subset may hold ">" of its own: skipped whole, never read.
            const char* end =
                XmlReader::doctypeEnd(head.constData() + pos, head.constData() + head.size());
            pos = end == nullptr ? head.size() : static_cast<int>(end - head.constData());
        } else if (startsWithAt(head, pos, "<?") || startsWithAt(head, pos, "<!")) {
            const int end = head.indexOf('>', pos);
            pos = end < 0 ? head.size() : end + 1;
        } else {
            break;
        }
    }
    return prolog;
}

/* True when the element at pos is the root of one of Word's XML formats: w:wordDocument
   (Word 2003) or pkg:package (flat OPC), with its namespace declared. */
bool isWordXmlRoot(const QByteArray& head, int pos) {
    int nameEnd = pos + 1;
    while (nameEnd < head.size() && !std::isspace(static_cast<unsigned char>(head[nameEnd])) &&
           head[nameEnd] != '>' && head[nameEnd] != '/') {
        ++nameEnd;
    }
    const QByteArray name = head.mid(pos + 1, nameEnd - pos - 1);
    const QByteArray local = name.mid(name.indexOf(':') + 1);
    return (local == "wordDocument" &&
            head.contains("http://schemas.microsoft.com/office/word/2003/wordml")) ||
           (local == "package" &&
            head.contains("http://schemas.microsoft.com/office/2006/xmlPackage"));
}

/* True when the element at pos is one a web page starts with. */
bool isWebPageElement(const QByteArray& head, int pos) {
    for (const char* tag : {"<html", "<head", "<body", "<meta", "<title", "<table"}) {
        const int length = static_cast<int>(qstrlen(tag));
        if (startsWithAt(head, pos, tag) && pos + length < head.size() &&
            !std::isalnum(static_cast<unsigned char>(head[pos + length]))) {
            return true;
        }
    }
    return false;
}

/* Which markup format the first bytes show: after a byte order mark, white space, comments,
   processing instructions and a document type declaration, the first element's name. */
MarkupKind markupKind(const QByteArray& firstBytes) {
    const QByteArray head = withoutByteOrderMark(firstBytes);
    if (isWebArchive(head)) {
        return MarkupKind::WebArchive;
    }
    const Prolog prolog = skipProlog(head);
    if (prolog.htmlDoctype) {
        return MarkupKind::WebPage;
    }
    const int pos = prolog.end;
    if (isWordXmlRoot(head, pos)) {
        return MarkupKind::WordXml;
    }
    // Word's own web pages declare its namespace even when the <html> tag comes late.
    if (isWebPageElement(head, pos) || head.contains("urn:schemas-microsoft-com:office:word")) {
        return MarkupKind::WebPage;
    }
    return MarkupKind::None;
}

/* Web pages, web archives and Word's XML formats under any name; nullopt for anything else. */
std::optional<WordLoadResult> loadMarkup(QFile& file, const WordReadLimits& limits) {
    file.seek(0);
    QByteArray data = file.read(WordFileLoader::kSniffBytes);
    MarkupKind kind = markupKind(data);
    if (kind == MarkupKind::None && !file.atEnd() && file.size() <= limits.maxPartBytes &&
        data.toLower().contains("<!doctype")) {
        // A document type declaration whose internal subset runs past the first bytes: the
        // root element, which tells the format, comes after it.
        file.seek(0);
        data = file.readAll();
        kind = markupKind(data);
    }
    if (kind == MarkupKind::None) {
        return std::nullopt;
    }
    if (file.size() > limits.maxPartBytes) {
        return WordLoadResult::failure(WordLoadResult::Status::TooLarge,
                                       QStringLiteral("the file is too large"));
    }
    if (!file.atEnd()) {
        file.seek(0);
        data = file.readAll();
    }
    if (kind == MarkupKind::WebArchive) {
        return MhtmlReader::readData(data, limits);
    }
    if (kind == MarkupKind::WordXml) {
        return WordXmlReader::readData(std::move(data), limits);
    }
    return HtmlReader::readData(std::move(data), limits);
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
    // A FIFO, device or socket would block the open or the reads; only files are read.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        return WordLoadResult::failure(WordLoadResult::Status::NotFound,
                                       QStringLiteral("not a regular file"));
    }
    const WordReadLimits limits;
    if (info.size() > limits.maxFileBytes) {
        return WordLoadResult::failure(WordLoadResult::Status::TooLarge,
                                       QStringLiteral("file too large"));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return WordLoadResult::failure(
            WordLoadResult::Status::NotFound,
            QStringLiteral("cannot read the file: ") + file.errorString());
    }
    const QByteArray head = file.read(kSniffBytes);
    switch (contentKind(head)) {
        case ContentKind::Package:
            return DocxReader::readOpenFile(file, limits);
        case ContentKind::Binary:
            if (holdsEncryptedPackage(file)) {
                return WordLoadResult::failure(
                    WordLoadResult::Status::Encrypted,
                    QStringLiteral("the document is password-protected"));
            }
            file.close();
            return DocReader::readFile(path, limits);
        case ContentKind::Rtf:
            file.close();
            return RtfReader::readFile(path, limits);
        case ContentKind::Text:
            // Web pages, web archives and Word's XML formats are text too: they come first.
            if (std::optional<WordLoadResult> markup = loadMarkup(file, limits)) {
                return std::move(*markup);
            }
            // Binary content that is none of the above is refused by the text reader.
            file.close();
            return PlainTextReader::readFile(path, limits);
    }
    return WordLoadResult::failure(WordLoadResult::Status::WrongFormat,
                                   QStringLiteral("not a Word document"));
}
