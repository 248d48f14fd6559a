#include "office/word/xml/flatopcpackage.h"

#include "office/xml/chunkedinput.h"
#include "office/xml/xmlreader.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

const char kPackageNs[] = "http://schemas.microsoft.com/office/2006/xmlPackage";

/* True for an element of the package namespace with this local name. */
bool isPackageElement(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && node->ns != nullptr &&
           std::strcmp(reinterpret_cast<const char*>(node->ns->href), kPackageNs) == 0 &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

/* The first child element with this package name, or null. */
xmlNode* packageChild(const xmlNode* parent, const char* name) {
    for (xmlNode* child = parent->children; child != nullptr; child = child->next) {
        if (isPackageElement(child, name)) {
            return child;
        }
    }
    return nullptr;
}

/* The XML of one element as a document of its own (declarations of the namespaces it uses
   from its ancestors are copied onto it). */
QByteArray serialize(xmlNode* element) {
    std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> doc(
        xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")), xmlFreeDoc);
    if (!doc) {
        return QByteArray();
    }
    xmlNode* copy = xmlDocCopyNode(element, doc.get(), 1);
    if (copy == nullptr) {
        return QByteArray();
    }
    xmlDocSetRootElement(doc.get(), copy);
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc.get(), &text, &size, "UTF-8");
    QByteArray out(reinterpret_cast<const char*>(text), size);
    xmlFree(text);
    return out;
}

/* The base64 text of pkg:binaryData decoded: a part held in one text node (as Word writes it)
   is decoded from the node itself, without first copying the text out of the tree. */
QByteArray decodeBase64(xmlNode* binary) {
    const xmlNode* text = binary->children;
    const bool oneTextNode = text != nullptr && text->next == nullptr &&
                             text->type == XML_TEXT_NODE && text->content != nullptr;
    xmlChar* copied = oneTextNode ? nullptr : xmlNodeGetContent(binary);
    const auto* content = reinterpret_cast<const char*>(oneTextNode ? text->content : copied);
    QByteArray out;
    if (content != nullptr) {
        out = QByteArray::fromBase64(
            QByteArray::fromRawData(content, static_cast<int>(std::strlen(content))));
    }
    xmlFree(copied);
    return out;
}

/* Past the first `needle` in [from, end); `end` when there is none. */
const char* skipPast(const char* from, const char* end, const char* needle) {
    const char* needleEnd = needle + std::strlen(needle);
    const char* hit = std::search(from, end, needle, needleEnd);
    return hit == end ? end : hit + (needleEnd - needle);
}

/* The span of the document type declaration in the prolog of UTF-8 `xml`, or {-1, -1}. */
std::pair<int, int> doctypeSpan(const QByteArray& xml) {
    const char* begin = xml.constData();
    const char* end = begin + xml.size();
    const char* p = begin;
    if (xml.startsWith("\xEF\xBB\xBF")) {
        p += 3;
    }
    while (p < end) {
        if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') {
            ++p;
        } else if (end - p >= 4 && std::memcmp(p, "<!--", 4) == 0) {
            p = skipPast(p + 4, end, "-->");
        } else if (end - p >= 2 && p[1] == '?' && *p == '<') {
            p = skipPast(p + 2, end, "?>");
        } else {
            break;
        }
    }
    if (p >= end || end - p < 9 || std::memcmp(p, "<!DOCTYPE", 9) != 0) {
        return {-1, -1};
    }
    const char* close = XmlReader::doctypeEnd(p, end);
    return {static_cast<int>(p - begin),
            close == nullptr ? xml.size() : static_cast<int>(close - begin)};
}

}  // namespace

/* A package not yet opened. */
FlatOpcPackage::FlatOpcPackage(const PackageLimits& limits)
    : m_limits(limits), m_doc(nullptr, xmlFreeDoc) {}

/* The parsed file goes with the package. */
FlatOpcPackage::~FlatOpcPackage() = default;

/* Parse without network, DTD loading or entity expansion; index the parts by name. */
bool FlatOpcPackage::open(const QByteArray& xml) {
    if (xml.size() > m_limits.maxPartBytes) {
        return false;
    }
    // A document type declaration is blanked out before libxml2 sees it: its entities are
    // never declared, so never expanded (a reference to one makes the file not well-formed).
    const std::pair<int, int> doctype = doctypeSpan(xml);
    QByteArray withoutDoctype;
    if (doctype.first >= 0) {
        withoutDoctype = xml;
        std::fill(withoutDoctype.begin() + doctype.first, withoutDoctype.begin() + doctype.second,
                  ' ');
    }
    const QByteArray& parsed = doctype.first >= 0 ? withoutDoctype : xml;
    xmlInitParser();
    // A binary part is one text node of base64, as large as the file allows (libxml2 refuses
    // text nodes past 10 MB unless told the input may be huge; the file's size is bounded by
    // the part limit before this, and no entity is ever declared).
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE;
    // Read a block at a time: libxml2 would copy a file handed over whole.
    ChunkedInput input(parsed);
    m_doc.reset(xmlReadIO(&ChunkedInput::read, nullptr, &input, nullptr, nullptr, options));
    const xmlNode* root = m_doc ? xmlDocGetRootElement(m_doc.get()) : nullptr;
    if (root == nullptr || !isPackageElement(root, "package")) {
        return false;
    }
    for (xmlNode* part = root->children; part != nullptr; part = part->next) {
        if (!isPackageElement(part, "part")) {
            continue;
        }
        xmlChar* name = xmlGetNsProp(part, reinterpret_cast<const xmlChar*>("name"),
                                     reinterpret_cast<const xmlChar*>(kPackageNs));
        if (name == nullptr) {
            name = xmlGetProp(part, reinterpret_cast<const xmlChar*>("name"));
        }
        if (name != nullptr) {
            QString key = QString::fromUtf8(reinterpret_cast<const char*>(name)).toLower();
            if (key.startsWith(QLatin1Char('/'))) {
                key.remove(0, 1);
            }
            xmlFree(name);
            // Two parts of one name (names ignore case): readers disagree on which one counts,
            // so the package has no single meaning.
            if (m_parts.contains(key)) {
                return false;
            }
            m_parts.insert(key, part);
        }
    }
    return true;
}

/* An XML part serialized from pkg:xmlData, a binary one decoded from pkg:binaryData. */
OpcPackage::Status FlatOpcPackage::readPart(const QString& name, QByteArray& out) {
    out.clear();
    const auto it = m_parts.constFind(name.toLower());
    if (it == m_parts.constEnd()) {
        return Status::Missing;
    }
    if (const xmlNode* data = packageChild(*it, "xmlData")) {
        for (xmlNode* child = data->children; child != nullptr; child = child->next) {
            if (child->type == XML_ELEMENT_NODE) {
                out = serialize(child);
                break;
            }
        }
    } else if (xmlNode* binary = packageChild(*it, "binaryData")) {
        out = decodeBase64(binary);
    } else {
        return Status::Damaged;
    }
    if (out.size() > m_limits.maxPartBytes) {
        out.clear();
        return Status::TooLarge;
    }
    return out.isEmpty() ? Status::Damaged : Status::Ok;
}
