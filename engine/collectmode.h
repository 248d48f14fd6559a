#pragma once

#include "engine/convertoptions.h"
#include "engine/fieldlayout.h"

class AxObject;

// Collect mode's reading side: learns the layout of the form (from the blank form, or from the
// first copies of the batch when there is none) and reads each document into its snapshot
// through the Word application. The job writes what it reads into a CollectWorkbook.
class CollectMode {
public:
    // How many copies the layout is learnt from when no blank form is given.
    static constexpr int kSampleSize = 64;

    // `word` and `documents` belong to the caller and must outlive this object.
    CollectMode(AxObject* word, AxObject* documents, const ConvertOptions& options);

    // Learn the layout. False (with why()) when the blank form cannot be opened.
    bool learn();
    const FieldLayout& layout() const { return m_layout; }
    QString why() const { return m_why; }

    // Open the document, read it and close it. False when Word cannot open it, with Word's
    // reason in `reason` (also when reading ran out of memory).
    bool read(const QString& nativePath, FormSnapshot& snapshot, QString& reason);

private:
    bool readGuarded(const QString& nativePath, FormSnapshot& snapshot, QString& reason);

    AxObject* m_word;
    AxObject* m_documents;
    const ConvertOptions& m_options;
    FieldLayout m_layout;
    QString m_why;
};
