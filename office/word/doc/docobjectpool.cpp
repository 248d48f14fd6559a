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

/* An MTEF equation first, else an OpenDocument formula; a stream or formula beyond its limit
   is named in the losses. */
QString DocObjectPool::readEquation(quint32 id) {
    const std::string storage = "_" + std::to_string(id);
    QByteArray bytes;
    const CompoundFile::Stream mtef = m_file->readStream({"ObjectPool", storage, "Equation Native"},
                                                         m_limits.equationBytes, bytes);
    if (mtef == CompoundFile::Stream::Ok) {
        std::optional<QString> text = MtefEquation::fromEquationNative(bytes);
        if (text) {
            return *text;
        }
    }
    bool tooLarge = mtef == CompoundFile::Stream::TooLarge;
    const CompoundFile::Stream package =
        m_file->readStream({"ObjectPool", storage, "package_stream"}, m_limits.packageBytes, bytes);
    if (package == CompoundFile::Stream::Ok) {
        const MathMlEquation::Reading formula = MathMlEquation::fromOdfPackage(bytes);
        if (formula.outcome == MathMlEquation::Outcome::Read) {
            return formula.text;
        }
        tooLarge = tooLarge || formula.outcome == MathMlEquation::Outcome::TooLarge;
    }
    if (tooLarge || package == CompoundFile::Stream::TooLarge) {
        m_losses.append(
            QStringLiteral("equation object _%1 too large to lay out, left out").arg(id));
    }
    return QString();
}
