#include "office/word/text/plaintextreader.h"

#include "office/word/model/wordfilebytes.h"

#include <QTextCodec>

namespace {

using Status = WordLoadResult::Status;

/* The length of a valid UTF-8 sequence at i, or 0 (overlong forms and surrogates refused). */
int utf8SequenceLength(const unsigned char* s, int size, int i) {
    const unsigned char c = s[i];
    int length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2, min = 0x80, code = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3, min = 0x800, code = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4, min = 0x10000, code = c & 0x07u;
    } else {
        return 0;
    }
    if (i + length > size) {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if ((s[i + k] & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (s[i + k] & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

/* True when the bytes are valid UTF-8. */
bool isUtf8(const QByteArray& bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const int size = bytes.size();
    for (int i = 0; i < size;) {
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = utf8SequenceLength(s, size, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

/* True for a control character that text files do not hold: tab, line feed, vertical tab,
   form feed, carriage return and the DOS end-of-file mark occur in text. */
bool isStrayControl(unsigned c) {
    return c < 0x20 && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r' && c != 0x1A;
}

/* True when the bytes hold a NUL or mostly (over a tenth) control characters. */
bool isBinary(const QByteArray& bytes) {
    qint64 controls = 0;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0) {
            return true;
        }
        if (isStrayControl(c)) {
            ++controls;
        }
    }
    return controls * 10 > bytes.size();
}

/* The same test on decoded UTF-16 text: a byte order mark alone does not make a file text. */
bool isBinaryText(const QString& text) {
    qint64 controls = 0;
    for (const QChar c : text) {
        if (c.unicode() == 0) {
            return true;
        }
        if (isStrayControl(c.unicode())) {
            ++controls;
        }
    }
    return controls * 10 > text.size();
}

/* True for a byte that Windows-1252 maps to a letter or a common punctuation mark. */
bool isWesternLetter(unsigned char c) {
    if (c >= 0xC0) {
        return c != 0xD7 && c != 0xF7;  // À-ÿ without × and ÷
    }
    switch (c) {
        case 0x80:  // €
        case 0x83:  // ƒ
        case 0x85:  // …
        case 0x8A:  // Š
        case 0x8C:  // Œ
        case 0x8E:  // Ž
        case 0x91:  // ‘ ’ “ ” • – —
        case 0x92:
        case 0x93:
        case 0x94:
        case 0x95:
        case 0x96:
        case 0x97:
        case 0x9A:  // š
        case 0x9C:  // œ
        case 0x9E:  // ž
        case 0x9F:  // Ÿ
        case 0xA0:  // no-break space
        case 0xA9:  // ©
        case 0xAB:  // «
        case 0xB0:  // °
        case 0xBB:  // »
            return true;
        default:
            return false;
    }
}

/* True when some GBK pair of the bytes is a GB2312 level-1 (common) character. */
bool hasCommonGbkCharacter(const QByteArray& bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    const int size = bytes.size();
    for (int i = 0; i + 1 < size; ++i) {
        const unsigned char lead = s[i];
        const unsigned char trail = s[i + 1];
        if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE || trail == 0x7F) {
            continue;
        }
        if (lead >= 0xB0 && lead <= 0xD7 && trail >= 0xA1) {
            return true;
        }
        ++i;  // the trail byte belongs to this pair
    }
    return false;
}

/* True when every byte from 0x80 up is a Windows-1252 letter or punctuation mark. */
bool isWesternText(const QByteArray& bytes) {
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 && !isWesternLetter(c)) {
            return false;
        }
    }
    return true;
}

/* One paragraph with its text in one run of unknown format. */
WordParagraph lineParagraph(const QString& text, int from, int to) {
    WordParagraph paragraph;
    if (to > from) {
        paragraph.runs.push_back(WordRun{text.mid(from, to - from), WordRunFormat()});
    }
    return paragraph;
}

}  // namespace

/* Byte order mark, then UTF-8, then GBK or Windows-1252; never text with NULs or controls. */
std::optional<PlainTextReader::Encoding> PlainTextReader::detectEncoding(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const Encoding encoding =
            bytes.startsWith("\xFF\xFE") ? Encoding::Utf16LittleEndian : Encoding::Utf16BigEndian;
        if (isBinaryText(decode(bytes, encoding))) {
            return std::nullopt;
        }
        return encoding;
    }
    if (isBinary(bytes)) {
        return std::nullopt;
    }
    if (bytes.startsWith("\xEF\xBB\xBF") || isUtf8(bytes)) {
        return Encoding::Utf8;
    }
    if (!hasCommonGbkCharacter(bytes) && isWesternText(bytes)) {
        return Encoding::Windows1252;
    }
    return Encoding::Gbk;
}

/* Decode with Qt's codecs; the byte order mark is not part of the text. */
QString PlainTextReader::decode(const QByteArray& bytes, Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf16LittleEndian:
        case Encoding::Utf16BigEndian: {
            const bool little = encoding == Encoding::Utf16LittleEndian;
            QTextCodec* codec = QTextCodec::codecForName(little ? "UTF-16LE" : "UTF-16BE");
            return codec ? codec->toUnicode(bytes.mid(2)) : QString();
        }
        case Encoding::Utf8:
            return QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
        case Encoding::Gbk: {
            QTextCodec* codec = QTextCodec::codecForName("GB18030");
            if (!codec) {
                return QString::fromLatin1(bytes);
            }
            // A lead byte cut off at the end would vanish: a line end after it makes the
            // codec show it as a replacement character.
            QString text = codec->toUnicode(bytes + '\n');
            if (text.endsWith(QLatin1Char('\n'))) {
                text.chop(1);
            }
            return text;
        }
        case Encoding::Windows1252: {
            QTextCodec* codec = QTextCodec::codecForName("windows-1252");
            return codec ? codec->toUnicode(bytes) : QString::fromLatin1(bytes);
        }
    }
    return QString();
}

/* Read the file into memory and split it into lines. */
WordLoadResult PlainTextReader::readFile(const QString& path, const WordReadLimits& limits) {
    WordFileBytes::Contents file = WordFileBytes::read(path, limits.maxTextFileBytes);
    if (file.failure) {
        return std::move(*file.failure);
    }
    return readData(file.bytes, limits);
}

/* One paragraph per line (CR LF, LF or CR); a final line end adds no empty paragraph. */
WordLoadResult PlainTextReader::readData(const QByteArray& bytes, const WordReadLimits& limits) {
    const std::optional<Encoding> encoding = detectEncoding(bytes);
    if (!encoding) {
        return WordLoadResult::failure(Status::WrongFormat,
                                       QStringLiteral("not a Word document (binary content)"));
    }
    if (bytes.size() > limits.maxTextFileBytes) {
        return WordLoadResult::failure(Status::TooLarge, QStringLiteral("file too large"));
    }
    const QString text = decode(bytes, *encoding);
    auto document = std::make_shared<WordDocument>();
    int start = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r')) {
            continue;
        }
        if (static_cast<int>(document->blocks.size()) >= limits.maxParagraphs) {
            return WordLoadResult::failure(Status::TooLarge,
                                           QStringLiteral("the text has too many lines"));
        }
        document->blocks.push_back(WordBlock::ofParagraph(lineParagraph(text, start, i)));
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            ++i;
        }
        start = i + 1;
    }
    if (start < text.size()) {
        document->blocks.push_back(WordBlock::ofParagraph(lineParagraph(text, start, text.size())));
    }
    return WordLoadResult::success(document);
}
