#include "office/word/rtf/rtfreader.h"

#include "office/word/model/wordfilebytes.h"

namespace {

using Status = WordLoadResult::Status;

/* Where the RTF header starts: after a UTF-8 byte order mark and white space. */
int headerOffset(const QByteArray& bytes) {
    int at = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size() &&
           (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n')) {
        ++at;
    }
    return at;
}

/* The failure that names the limit a parse ran into. */
WordLoadResult limitFailure(RtfParser::Status status) {
    switch (status) {
        case RtfParser::Status::TooDeep:
            return WordLoadResult::failure(Status::TooLarge,
                                           QStringLiteral("RTF groups are nested too deeply"));
        case RtfParser::Status::TooManyCells:
            return WordLoadResult::failure(Status::TooLarge,
                                           QStringLiteral("an RTF table row has too many cells"));
        default:
            return WordLoadResult::failure(Status::TooLarge,
                                           QStringLiteral("the document has too many paragraphs"));
    }
}

}  // namespace

/* Look for "{\rtf" at the start. */
bool RtfReader::isRtf(const QByteArray& head) {
    return head.mid(headerOffset(head), 5) == QByteArrayLiteral("{\\rtf");
}

/* Read a file into memory and parse it. */
WordLoadResult RtfReader::readFile(const QString& path, const WordReadLimits& limits) {
    WordFileBytes::Contents file = WordFileBytes::read(path, limits.maxTextFileBytes);
    if (file.failure) {
        return std::move(*file.failure);
    }
    return readData(file.bytes, limits);
}

/* Parse the story, then build the blocks and tables from its paragraphs. */
WordLoadResult RtfReader::readData(const QByteArray& bytes, const WordReadLimits& limits) {
    if (!isRtf(bytes)) {
        return WordLoadResult::failure(Status::WrongFormat, QStringLiteral("not an RTF document"));
    }
    if (bytes.size() > limits.maxTextFileBytes) {
        return WordLoadResult::failure(Status::TooLarge, QStringLiteral("file too large"));
    }
    const int start = headerOffset(bytes);
    RtfParser parser(limits);
    const RtfParser::Status status = parser.parse(
        std::string_view(bytes.constData() + start, static_cast<size_t>(bytes.size() - start)));
    if (status != RtfParser::Status::Ok) {
        return limitFailure(status);
    }
    auto document = std::make_shared<WordDocument>();
    document->blocks = parser.takeBlocks();
    return WordLoadResult::success(document);
}
