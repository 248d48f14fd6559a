#include "office/word/doc/docreader.h"

#include "office/word/doc/docfib.h"
#include "office/word/doc/docfkptable.h"
#include "office/word/doc/docfonttable.h"
#include "office/word/doc/docobjectpool.h"
#include "office/word/doc/docpiecetable.h"
#include "office/word/doc/docstorage.h"
#include "office/word/doc/docstoryreader.h"
#include "office/word/doc/docstylesheet.h"
#include "office/word/doc/docword6document.h"
#include "office/word/model/storyblockbuilder.h"
#include "office/word/model/wordfilebytes.h"

#include <optional>
#include <utility>
#include <vector>

namespace {

using Status = WordLoadResult::Status;

/* The failure for a compound file that could not be read. */
WordLoadResult storageFailure(DocStorage::Status status) {
    const QString why = DocStorage::describe(status);
    switch (status) {
        case DocStorage::Status::EncryptedPackage:
            return WordLoadResult::failure(Status::Encrypted,
                                           QStringLiteral("the document is password-protected"));
        case DocStorage::Status::StreamTooLarge:
            return WordLoadResult::failure(Status::TooLarge, why);
        case DocStorage::Status::StreamUnreadable:
            return WordLoadResult::failure(Status::Malformed, why);
        default:
            return WordLoadResult::failure(Status::WrongFormat,
                                           QStringLiteral("not a Word document: ") + why);
    }
}

/* The failure for a file header the reader cannot use. */
WordLoadResult fibFailure(DocFib::Status status) {
    switch (status) {
        case DocFib::Status::Legacy:
            return WordLoadResult::failure(
                Status::Unsupported, QStringLiteral("Word 2.0 and older documents cannot be read"));
        case DocFib::Status::Encrypted:
            return WordLoadResult::failure(Status::Encrypted,
                                           QStringLiteral("the document is password-protected"));
        case DocFib::Status::Truncated:
            return WordLoadResult::failure(Status::Malformed,
                                           QStringLiteral("the file header is truncated"));
        default:
            return WordLoadResult::failure(Status::WrongFormat,
                                           QStringLiteral("not a Word document: bad file header"));
    }
}

/* The structure a FIB range names in the table stream; empty when it lies outside. */
DocBytes tableRange(const DocBytes& table, const DocFib::Range& range) {
    return table.mid(range.fc, range.lcb);
}

/* A failure for a damaged structure, named in the message. */
WordLoadResult damaged(const char* what) {
    return WordLoadResult::failure(Status::Malformed,
                                   QStringLiteral("damaged document: ") + QLatin1String(what));
}

/* The failure when the pieces miss part of the main story or name its text over and over,
   none when they are usable; storySize is the size of the stream the text comes from. */
std::optional<WordLoadResult> piecesFailure(const DocPieceTable& pieces, qint32 ccpText,
                                            qint64 storySize) {
    // A main story with text missing would convert into a partial workbook.
    if (pieces.firstMissingCp() < ccpText) {
        return damaged("the text lies outside the document stream");
    }
    // Each character of a story is stored once; pieces naming the same text over and over
    // would make a story far larger than the file (and the memory to hold it).
    if (pieces.characterCount() >
        DocReader::kMaxStoryFactor * qMax<qint64>(storySize, DocReader::kStoryAllowance)) {
        return WordLoadResult::failure(
            Status::TooLarge, QStringLiteral("the document's text repeats beyond its file size"));
    }
    return std::nullopt;
}

/* Read the main story and build the document from its paragraphs. */
WordLoadResult readStory(const DocStoryReader::Sources& sources, qint32 ccpText,
                         const WordFontTable& fonts, const WordReadLimits& limits) {
    DocStoryReader story(sources);
    const std::vector<StoryParagraph> paragraphs = story.read(ccpText);
    if (story.tooLarge()) {
        return WordLoadResult::failure(Status::TooLarge, story.tooLargeReason());
    }
    StoryBlockBuilder builder(fonts, limits.maxTableNesting);
    auto document = std::make_shared<WordDocument>();
    document->blocks = builder.build(paragraphs);
    if (sources.objects != nullptr) {
        document->losses = sources.objects->losses();
    }
    return WordLoadResult::success(document);
}

/* A Word 6.0/95 document: its stream recast as the Word 97 reader's inputs. */
WordLoadResult readWord6(const DocBytes& word, const WordReadLimits& limits) {
    DocWord6Document word6;
    switch (word6.load(word)) {
        case DocWord6Document::Status::Ok:
            break;
        case DocWord6Document::Status::Encrypted:
            return fibFailure(DocFib::Status::Encrypted);
        case DocWord6Document::Status::Truncated:
            return fibFailure(DocFib::Status::Truncated);
        default:
            return damaged(word6.why());
    }
    std::optional<WordLoadResult> failure =
        piecesFailure(word6.pieces(), word6.ccpText(), word.size());
    if (failure) {
        return std::move(*failure);
    }
    DocStoryReader::Sources sources;
    sources.wordDocument = word6.text();
    sources.pieces = &word6.pieces();
    sources.chpx = &word6.chpx();
    sources.papx = &word6.papx();
    sources.styles = &word6.styles();
    sources.maxParagraphs = limits.maxParagraphs;
    return readStory(sources, word6.ccpText(), word6.fonts(), limits);
}

}  // namespace

/* Read a file into memory and parse it. */
WordLoadResult DocReader::readFile(const QString& path, const WordReadLimits& limits) {
    WordFileBytes::Contents file = WordFileBytes::read(path, limits.maxFileBytes);
    if (file.failure) {
        return std::move(*file.failure);
    }
    return readData(file.bytes, limits);
}

/* Take the streams out of the compound file, then read them. */
WordLoadResult DocReader::readData(const QByteArray& bytes, const WordReadLimits& limits) {
    const DocStorage storage(bytes);
    if (!storage.isOk()) {
        return storageFailure(storage.status());
    }
    DocObjectPool objects(storage.compoundFile());
    return readStreams(storage.wordDocument(), storage.tableStream(0), storage.tableStream(1),
                       storage.dataStream(), &objects, limits);
}

/* Parse the header, the tables, then the story. */
WordLoadResult DocReader::readStreams(const QByteArray& wordDocument, const QByteArray& table0,
                                      const QByteArray& table1, const QByteArray& data,
                                      DocObjectPool* objects, const WordReadLimits& limits) {
    const DocBytes word(wordDocument);
    const DocFib fib = DocFib::parse(word);
    if (fib.status == DocFib::Status::Word6) {
        return readWord6(word, limits);
    }
    if (fib.status != DocFib::Status::Ok) {
        return fibFailure(fib.status);
    }
    // A file whose header names a missing table stream may still hold the other one.
    DocBytes table(fib.tableStream == 1 ? table1 : table0);
    if (table.size() == 0) {
        table = DocBytes(fib.tableStream == 1 ? table0 : table1);
    }
    if (table.size() == 0) {
        return damaged("no table stream");
    }
    DocPieceTable pieces;
    const DocBytes clx = tableRange(table, fib.clx);
    if (clx.size() == 0 || !pieces.parse(clx, word.size())) {
        return damaged("piece table");
    }
    std::optional<WordLoadResult> failure = piecesFailure(pieces, fib.ccpText, word.size());
    if (failure) {
        return std::move(*failure);
    }
    DocFkpTable chpx;
    DocFkpTable papx;
    if (!chpx.parse(DocFkpTable::Kind::Character, tableRange(table, fib.plcfBteChpx), word) ||
        !papx.parse(DocFkpTable::Kind::Paragraph, tableRange(table, fib.plcfBtePapx), word)) {
        return damaged("formatting pages");
    }
    DocStyleSheet styles;
    styles.parse(tableRange(table, fib.stshf));
    const WordFontTable fonts = DocFontTable::parse(tableRange(table, fib.sttbfFfn));

    DocStoryReader::Sources sources;
    sources.wordDocument = word;
    sources.dataStream = DocBytes(data);
    sources.pieces = &pieces;
    sources.chpx = &chpx;
    sources.papx = &papx;
    sources.styles = &styles;
    sources.objects = objects;
    sources.maxEquationChars = kMaxEquationFactor * qMax<qint64>(word.size(), kEquationAllowance);
    sources.maxParagraphs = limits.maxParagraphs;
    return readStory(sources, fib.ccpText, fonts, limits);
}
