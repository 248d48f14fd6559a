#include "office/word/doc/docobjectpool.h"

#include "office/ole/compoundfile.h"
#include "office/word/doc/mathmlequation.h"
#include "office/word/doc/mtefequation.h"

/* Read each object once and keep its text. */
QString DocObjectPool::equationText(quint32 id) {
    const auto known = m_texts.constFind(id);
    if (known != m_texts.constEnd()) {
        return known.value();
    }
    if (!m_file || m_texts.size() >= kMaxObjects) {
        return QString();
    }
    const QString text = readEquation(id);
    m_texts.insert(id, text);
    return text;
}

/* An MTEF equation first, else an OpenDocument formula. */
QString DocObjectPool::readEquation(quint32 id) const {
    const std::string storage = "_" + std::to_string(id);
    QByteArray bytes;
    QString text;
    if (m_file->readStream({"ObjectPool", storage, "Equation Native"}, kMaxEquationBytes, bytes) ==
            CompoundFile::Stream::Ok &&
        MtefEquation::fromEquationNative(bytes, &text)) {
        return text;
    }
    if (m_file->readStream({"ObjectPool", storage, "package_stream"}, kMaxPackageBytes, bytes) ==
            CompoundFile::Stream::Ok &&
        MathMlEquation::fromOdfPackage(bytes, &text)) {
        return text;
    }
    return QString();
}
