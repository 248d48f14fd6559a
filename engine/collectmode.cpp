#include "engine/collectmode.h"

#include "automation/axhandle.h"
#include "engine/documentdiscovery.h"
#include "engine/documentfeed.h"
#include "engine/formreader.h"

#include <exception>
#include <new>

CollectMode::CollectMode(AxObject* word, AxObject* documents, const ConvertOptions& options)
    : m_word(word), m_documents(documents), m_options(options) {}

/* The layout from the blank form, else from the first copies of the batch. */
bool CollectMode::learn() {
    FormSnapshot snapshot;
    QString reason;
    if (!m_options.formPath.isEmpty()) {
        if (!read(m_options.formPath, snapshot, reason)) {
            m_why = QStringLiteral("空白表单无法打开 (the blank form cannot be opened): %1 %2")
                        .arg(m_options.formPath, reason);
            return false;
        }
        m_layout = FieldLayout::fromForm(snapshot);
        return true;
    }
    std::vector<FormSnapshot> samples;
    DocumentFeed feed(m_options.sourcePath, &DocumentDiscovery::isCandidate);
    DocumentFeed::Document document;
    while (samples.size() < static_cast<size_t>(kSampleSize) && feed.take(document)) {
        if (document.problem.isEmpty() && read(document.nativePath, snapshot, reason)) {
            samples.push_back(std::move(snapshot));
            snapshot = FormSnapshot();
        }
    }
    m_layout = FieldLayout::fromSamples(samples);
    return true;
}

/* Read one document; whatever the reader throws fails this document alone. */
bool CollectMode::read(const QString& nativePath, FormSnapshot& snapshot, QString& reason) {
    try {
        return readGuarded(nativePath, snapshot, reason);
    } catch (const std::bad_alloc&) {
        reason = QStringLiteral("out of memory");
    } catch (const std::exception& error) {
        reason = QString::fromLocal8Bit(error.what());
    } catch (...) {
        reason = QStringLiteral("unexpected error");
    }
    callOn(m_documents, "Close(Boolean)", false);
    return false;
}

/* Open, read, close. */
bool CollectMode::readGuarded(const QString& nativePath, FormSnapshot& snapshot, QString& reason) {
    callOn(m_documents, "Open(const QString&)", nativePath);
    const AxHandle document = subObject(m_word, "ActiveDocument");
    if (!document) {
        reason = m_documents != nullptr ? m_documents->lastErrorDescription() : QString();
        return false;
    }
    snapshot = FormReader::read(document.get());
    document->dynamicCall("Close (Boolean)", false);
    return true;
}
