#include "office/word/xml/flatopcpackage.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>

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
    xmlInitParser();
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    m_doc.reset(xmlReadMemory(xml.constData(), xml.size(), nullptr, nullptr, options));
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
            m_parts.insert(key, part);
            xmlFree(name);
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
        xmlChar* text = xmlNodeGetContent(binary);
        out = QByteArray::fromBase64(QByteArray(reinterpret_cast<const char*>(text)));
        xmlFree(text);
    } else {
        return Status::Damaged;
    }
    if (out.size() > m_limits.maxPartBytes) {
        out.clear();
        return Status::TooLarge;
    }
    return out.isEmpty() ? Status::Damaged : Status::Ok;
}
