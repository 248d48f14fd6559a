#pragma once

#include "office/excel/xlsx/xmlsink.h"

#include <quazip/quazip.h>
#include <quazip/quazipnewinfo.h>

#include <QIODevice>
#include <QString>

#include <functional>

// The ZIP archive of a package being written (ECMA-376 Part 2, the physical package): each
// part is one deflated entry, all stamped with the same time, SOURCE_DATE_EPOCH (seconds
// since 1970, UTC) when the environment sets it to a whole number, so that two runs give
// byte-identical files, else now.
class XlsxPackage {
public:
    // How large a part gets: the fixed parts are a few kilobytes at most and are compressed
    // with a small hash table, as clearing zlib's default one costs more than compressing
    // such a part; sheets and shared strings take the default.
    enum class PartSize { Small, Large };

    // A package to be written into `device`, which the archive opens itself.
    explicit XlsxPackage(QIODevice* device);

    // Create the archive; false when the device cannot be opened.
    bool open();
    // Add the part `name` whose XML `body` writes into the sink it is given (the sink passes
    // its text on to the entry whenever it is flushed). False when the entry cannot be
    // written or the sink failed.
    bool addPart(const QString& name, PartSize size, const std::function<void(XmlSink&)>& body);
    // Finish the archive; false when anything in it failed.
    bool close();

private:
    QuaZip m_zip;
    QuaZipNewInfo m_entry;  // copied by every part, so the time is taken once per package
};
