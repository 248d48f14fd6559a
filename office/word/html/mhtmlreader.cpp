#include "office/word/html/mhtmlreader.h"

#include <QList>

namespace {

// One MIME entity: its header block and its body, still in its transfer encoding.
struct MimePart {
    QByteArray headers;
    QByteArray body;
};

/* Split an entity at the blank line that ends its headers. */
MimePart splitEntity(const QByteArray& entity) {
    MimePart part;
    int crlf = entity.indexOf("\r\n\r\n");
    int lf = entity.indexOf("\n\n");
    if (entity.startsWith("\r\n") || entity.startsWith("\n")) {
        part.body = entity.mid(entity.startsWith("\r\n") ? 2 : 1);
        return part;
    }
    if (crlf >= 0 && (lf < 0 || crlf < lf)) {
        part.headers = entity.left(crlf);
        part.body = entity.mid(crlf + 4);
    } else if (lf >= 0) {
        part.headers = entity.left(lf);
        part.body = entity.mid(lf + 2);
    } else {
        part.headers = entity;
    }
    return part;
}

/* The parts between the boundary lines of a multipart body (RFC 2046, 5.1.1). */
QList<MimePart> splitMultipart(const QByteArray& body, const QByteArray& boundary) {
    QList<MimePart> parts;
    const QByteArray delimiter = "--" + boundary;
    int start = -1;  // start of the current part's content
    int pos = 0;
    while (pos <= body.size()) {
        const int found = body.indexOf(delimiter, pos);
        if (found < 0) {
            break;
        }
        const bool atLineStart = found == 0 || body[found - 1] == '\n';
        if (!atLineStart) {
            pos = found + delimiter.size();
            continue;
        }
        if (start >= 0) {
            // The line break before the delimiter belongs to the delimiter.
            int end = found;
            if (end > start && body[end - 1] == '\n') {
                --end;
            }
            if (end > start && body[end - 1] == '\r') {
                --end;
            }
            parts.append(splitEntity(body.mid(start, end - start)));
        }
        const int after = found + delimiter.size();
        if (body.mid(after, 2) == "--") {
            return parts;
        }
        const int lineEnd = body.indexOf('\n', after);
        if (lineEnd < 0) {
            return parts;
        }
        start = lineEnd + 1;
        pos = start;
    }
    if (start >= 0 && start < body.size()) {
        // An archive cut off before its closing delimiter keeps its last part.
        parts.append(splitEntity(body.mid(start)));
    }
    return parts;
}

/* The media type of a Content-Type value, lower case. */
QByteArray mediaType(const QByteArray& contentType) {
    const int semicolon = contentType.indexOf(';');
    return (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
}

/* A part's body decoded from its Content-Transfer-Encoding. */
QByteArray decodeBody(const MimePart& part) {
    const QByteArray encoding =
        MhtmlReader::headerValue(part.headers, "Content-Transfer-Encoding").trimmed().toLower();
    if (encoding == "quoted-printable") {
        return MhtmlReader::decodeQuotedPrintable(part.body);
    }
    if (encoding == "base64") {
        return QByteArray::fromBase64(part.body);
    }
    return part.body;
}

/* The value of a hexadecimal digit, -1 for other characters. */
int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

/* Unfold the header block and find the named field. */
QByteArray MhtmlReader::headerValue(const QByteArray& headers, const QByteArray& name) {
    const QList<QByteArray> lines = headers.split('\n');
    QByteArray value;
    bool inField = false;
    for (QByteArray line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (inField && !line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
            value += ' ' + line.trimmed();
            continue;
        }
        if (inField) {
            return value;
        }
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower()) {
            value = line.mid(colon + 1).trimmed();
            inField = true;
        }
    }
    return value;
}

/* Find name=value or name="value" among the parameters after the media type. */
QByteArray MhtmlReader::parameter(const QByteArray& value, const QByteArray& name) {
    const QByteArray lowered = value.toLower();
    const QByteArray key = name.toLower() + '=';
    int pos = 0;
    while ((pos = lowered.indexOf(key, pos)) >= 0) {
        const bool starts = pos > 0 && (lowered[pos - 1] == ';' || lowered[pos - 1] == ' ' ||
                                        lowered[pos - 1] == '\t');
        pos += key.size();
        if (!starts) {
            continue;
        }
        while (pos < value.size() && value[pos] == ' ') {
            ++pos;
        }
        if (pos < value.size() && value[pos] == '"') {
            const int end = value.indexOf('"', pos + 1);
            return value.mid(pos + 1, end < 0 ? -1 : end - pos - 1);
        }
        int end = pos;
        while (end < value.size() && value[end] != ';' && value[end] != ' ' && value[end] != '\t') {
            ++end;
        }
        return value.mid(pos, end - pos);
    }
    return QByteArray();
}

/* Soft line breaks out, =XX escapes decoded. */
QByteArray MhtmlReader::decodeQuotedPrintable(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '=') {
            out += c;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\n') {
            i += 1;
        } else if (i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
            i += 2;
        } else if (i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                   hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

/* The part the start parameter names, else the first text/html part. */
bool MhtmlReader::rootPart(const QByteArray& data, QByteArray& html, QByteArray& charset) {
    const MimePart top = splitEntity(data);
    const QByteArray contentType = headerValue(top.headers, "Content-Type");
    const QByteArray type = mediaType(contentType);
    const MimePart* root = nullptr;
    QList<MimePart> parts;
    if (type == "text/html") {
        root = &top;
    } else if (type.startsWith("multipart/")) {
        const QByteArray boundary = parameter(contentType, "boundary");
        if (boundary.isEmpty()) {
            return false;
        }
        parts = splitMultipart(top.body, boundary);
        const QByteArray start = parameter(contentType, "start");
        for (const MimePart& part : parts) {
            if (!start.isEmpty() && headerValue(part.headers, "Content-ID") == start) {
                root = &part;
                break;
            }
        }
        for (int i = 0; root == nullptr && i < parts.size(); ++i) {
            if (mediaType(headerValue(parts[i].headers, "Content-Type")) == "text/html") {
                root = &parts[i];
            }
        }
    }
    if (root == nullptr) {
        return false;
    }
    html = decodeBody(*root);
    charset = parameter(headerValue(root->headers, "Content-Type"), "charset").toLower();
    return true;
}

/* The root part read as a web page. */
WordLoadResult MhtmlReader::readData(const QByteArray& data, const WordReadLimits& limits) {
    if (data.size() > limits.maxPartBytes) {
        return WordLoadResult::failure(WordLoadResult::Status::TooLarge,
                                       QStringLiteral("the web archive is too large"));
    }
    QByteArray html;
    QByteArray charset;
    if (!rootPart(data, html, charset)) {
        return WordLoadResult::failure(WordLoadResult::Status::WrongFormat,
                                       QStringLiteral("the web archive has no web page"));
    }
    return HtmlReader::readData(std::move(html), limits, charset);
}
