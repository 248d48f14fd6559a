#include "office/opc/zippackage.h"

#include "office/format/littleendianreader.h"

#include <QBuffer>
#include <QFile>
#include <QTextCodec>

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace {

// Record signatures and fixed sizes (PKWARE APPNOTE 4.3).
const quint32 kLocalHeader = 0x04034b50;
const quint32 kCentralHeader = 0x02014b50;
const quint32 kEndOfDirectory = 0x06054b50;
const quint32 kZip64EndOfDirectory = 0x06064b50;
const quint32 kZip64Locator = 0x07064b50;
const quint64 kLocalHeaderSize = 30;
const quint64 kCentralHeaderSize = 46;
const quint64 kEndSize = 22;
const quint64 kZip64EndSize = 56;
const quint64 kZip64LocatorSize = 20;
const quint16 kZip64Extra = 0x0001;
const quint16 kEncrypted = 0x0001;
const quint16 kUtf8Name = 0x0800;
const quint32 kSaturated32 = 0xFFFFFFFF;

// Files above this size are mapped rather than read.
const qint64 kReadLimit = 4 << 20;

/* True when [offset, offset + length) lies within `size` bytes. */
bool fits(quint64 offset, quint64 length, quint64 size) {
    return offset <= size && length <= size - offset;
}

/* Replace the saturated 32-bit fields of a directory entry by the 64-bit values of its ZIP64
   extra field, which holds them in this order, each only when saturated. */
bool applyZip64(const LittleEndianReader& extra, quint64& uncompressed, quint64& compressed,
                quint64& offset) {
    const quint64 extraLength = static_cast<quint64>(extra.size());
    for (quint64 at = 0; fits(at, 4, extraLength);) {
        const quint16 id = extra.u16(at);
        const quint64 length = extra.u16(at + 2);
        at += 4;
        if (!fits(at, length, extraLength)) {
            return false;
        }
        if (id == kZip64Extra) {
            quint64 field = at;
            for (quint64* value : {&uncompressed, &compressed, &offset}) {
                if (*value == kSaturated32) {
                    if (!fits(field, 8, at + length)) {
                        return false;
                    }
                    *value = extra.u64(field);
                    field += 8;
                }
            }
            return true;
        }
        at += length;
    }
    return true;
}

}  // namespace

/* A package not yet opened. */
ZipPackage::ZipPackage(const PackageLimits& limits) : m_limits(limits) {}

/* A mapped archive is unmapped when the caller closes its file. */
ZipPackage::~ZipPackage() = default;

/* Take the archive's bytes (mapped when the file is large) and index its directory. */
bool ZipPackage::open(QIODevice* device) {
    m_entries.clear();
    auto* file = qobject_cast<QFile*>(device);
    if (file != nullptr && file->size() > kReadLimit) {
        m_data = file->map(0, file->size());
        m_size = m_data != nullptr ? static_cast<quint64>(file->size()) : 0;
    }
    if (m_data == nullptr) {
        // A package already in memory is shared, not copied.
        if (auto* buffer = qobject_cast<QBuffer*>(device)) {
            m_bytes = buffer->data();
        } else {
            device->seek(0);
            m_bytes = device->readAll();
        }
        m_data = reinterpret_cast<const uchar*>(m_bytes.constData());
        m_size = static_cast<quint64>(m_bytes.size());
    }
    if (!readDirectory()) {
        m_entries.clear();
        return false;
    }
    return true;
}

/* Find the end-of-directory record (the last one, after which only its comment may follow),
   then the ZIP64 one when the locator stands right before it, and read the entries. */
bool ZipPackage::readDirectory() {
    if (m_size < kEndSize) {
        return false;
    }
    const LittleEndianReader archive(m_data, static_cast<qint64>(m_size));
    const quint64 lowest = m_size > kEndSize + 0xFFFF ? m_size - kEndSize - 0xFFFF : 0;
    quint64 end = m_size - kEndSize + 1;
    do {
        --end;
    } while (end > lowest && archive.u32(end) != kEndOfDirectory);
    if (archive.u32(end) != kEndOfDirectory) {
        return false;
    }
    quint64 count = archive.u16(end + 10);
    quint64 size = archive.u32(end + 12);
    quint64 offset = archive.u32(end + 16);
    quint64 directoryEnd = end;
    if (end >= kZip64LocatorSize && archive.u32(end - kZip64LocatorSize) == kZip64Locator) {
        const quint64 record = archive.u64(end - kZip64LocatorSize + 8);
        if (!fits(record, kZip64EndSize, m_size) || archive.u32(record) != kZip64EndOfDirectory) {
            return false;
        }
        count = archive.u64(record + 32);
        size = archive.u64(record + 40);
        offset = archive.u64(record + 48);
        directoryEnd = record;
    }
    // Bytes in front of the archive (a self-extracting stub) shift every stated offset.
    if (offset > directoryEnd || size > directoryEnd - offset) {
        return false;
    }
    const qint64 shift = static_cast<qint64>(directoryEnd - (offset + size));
    return readEntries(offset + static_cast<quint64>(shift), size, count, shift);
}

/* Index `count` central directory entries from `offset`; a repeated name fails. */
bool ZipPackage::readEntries(quint64 offset, quint64 size, quint64 count, qint64 shift) {
    QTextCodec* const localNames = QTextCodec::codecForLocale();
    const LittleEndianReader archive(m_data, static_cast<qint64>(m_size));
    const quint64 end = offset + size;
    quint64 at = offset;
    for (quint64 i = 0; i < count; ++i) {
        if (!fits(at, kCentralHeaderSize, end) || archive.u32(at) != kCentralHeader) {
            return false;
        }
        const LittleEndianReader header = archive.mid(at, kCentralHeaderSize);
        const quint64 nameLength = header.u16(28);
        const quint64 extraLength = header.u16(30);
        const quint64 commentLength = header.u16(32);
        const quint64 next = at + kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (next > end) {
            return false;
        }
        Entry entry;
        entry.flags = header.u16(8);
        entry.method = header.u16(10);
        entry.crc = header.u32(16);
        entry.compressedSize = header.u32(20);
        entry.uncompressedSize = header.u32(24);
        entry.localHeader = header.u32(42);
        const quint64 nameAt = at + kCentralHeaderSize;
        if (!applyZip64(archive.mid(nameAt + nameLength, extraLength), entry.uncompressedSize,
                        entry.compressedSize, entry.localHeader)) {
            return false;
        }
        entry.localHeader += static_cast<quint64>(shift);
        const char* nameBytes = reinterpret_cast<const char*>(m_data + nameAt);
        const QString key = ((entry.flags & kUtf8Name) != 0
                                 ? QString::fromUtf8(nameBytes, static_cast<int>(nameLength))
                                 : localNames->toUnicode(nameBytes, static_cast<int>(nameLength)))
                                .toLower();
        // Two entries of one name (part names ignore case): readers disagree on which one
        // counts, so the package has no single meaning.
        if (m_entries.contains(key)) {
            return false;
        }
        m_entries.insert(key, entry);
        at = next;
    }
    return true;
}

/* The directory's CRC-32 and size of a part. */
std::optional<OpcPackage::PartStamp> ZipPackage::partStamp(const QString& name) const {
    const auto it = m_entries.constFind(name.toLower());
    if (it == m_entries.constEnd()) {
        return std::nullopt;
    }
    return PartStamp{it->crc, static_cast<qint64>(it->uncompressedSize)};
}

/* Find the part's data after its local header and inflate it. */
OpcPackage::Status ZipPackage::readPart(const QString& name, QByteArray& out) {
    out.clear();
    const auto it = m_entries.constFind(name.toLower());
    if (m_data == nullptr || it == m_entries.constEnd()) {
        return Status::Missing;
    }
    const Entry& entry = *it;
    if ((entry.flags & kEncrypted) != 0 || (entry.method != 0 && entry.method != Z_DEFLATED) ||
        !fits(entry.localHeader, kLocalHeaderSize, m_size) ||
        LittleEndianReader(m_data, static_cast<qint64>(m_size)).u32(entry.localHeader) !=
            kLocalHeader) {
        return Status::Damaged;
    }
    const LittleEndianReader local(m_data + entry.localHeader, kLocalHeaderSize);
    const quint64 dataStart = entry.localHeader + kLocalHeaderSize + local.u16(26) + local.u16(28);
    if (!fits(dataStart, entry.compressedSize, m_size)) {
        return Status::Damaged;
    }
    const Status status = inflateEntry(entry, m_data + dataStart, out);
    if (status == Status::Ok && crc32_z(0, reinterpret_cast<const Bytef*>(out.constData()),
                                        static_cast<size_t>(out.size())) != entry.crc) {
        out.clear();
        return Status::Damaged;
    }
    return status;
}

/* Inflate (or copy) the entry's data in chunks, stopping as soon as it passes a limit. */
OpcPackage::Status ZipPackage::inflateEntry(const Entry& entry, const uchar* data,
                                            QByteArray& out) const {
    const qint64 compressed = std::max<qint64>(1, static_cast<qint64>(entry.compressedSize));
    // The stated size is only a hint (a damaged archive may lie), so it is bounded.
    out.reserve(static_cast<int>(std::min<quint64>(
        entry.uncompressedSize,
        static_cast<quint64>(std::min<qint64>(m_limits.maxPartBytes, 64 << 20)))));
    Status status = Status::Ok;
    if (entry.method == 0) {
        if (!appendWithinLimits(out, reinterpret_cast<const char*>(data),
                                static_cast<qint64>(entry.compressedSize), compressed)) {
            status = Status::TooLarge;
        }
    } else {
        status = inflateDeflated(entry, data, compressed, out);
    }
    if (status != Status::Ok) {
        out.clear();
    }
    return status;
}

/* Append a chunk of a part; false when the part passes its size limit, or expands far beyond
   what deflate gives ordinary XML, as an archive bomb does. */
bool ZipPackage::appendWithinLimits(QByteArray& out, const char* bytes, qint64 length,
                                    qint64 compressed) const {
    if (out.size() + length > m_limits.maxPartBytes) {
        return false;
    }
    out.append(bytes, static_cast<int>(length));
    return !(out.size() > m_limits.ratioCheckBytes &&
             out.size() / compressed > m_limits.maxExpansionRatio);
}

/* Run raw deflate data through zlib in chunks of output, each checked against the limits. */
OpcPackage::Status ZipPackage::inflateDeflated(const Entry& entry, const uchar* data,
                                               qint64 compressed, QByteArray& out) const {
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return Status::Damaged;
    }
    stream.next_in = const_cast<Bytef*>(data);  // zlib's input is const in use only
    stream.avail_in = 0;
    quint64 remaining = entry.compressedSize;
    char chunk[1 << 16];
    int result = Z_OK;
    Status status = Status::Ok;
    while (result == Z_OK) {
        if (stream.avail_in == 0) {
            const quint64 feed = std::min<quint64>(remaining, 1u << 30);
            stream.avail_in = static_cast<uInt>(feed);
            remaining -= feed;
        }
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        result = inflate(&stream, Z_NO_FLUSH);
        const qint64 produced = static_cast<qint64>(sizeof chunk - stream.avail_out);
        if ((result == Z_OK || result == Z_STREAM_END) &&
            !appendWithinLimits(out, chunk, produced, compressed)) {
            status = Status::TooLarge;
            break;
        }
        // No progress with all input given: the data ends before the stream does.
        if (result == Z_BUF_ERROR ||
            (result == Z_OK && produced == 0 && stream.avail_in == 0 && remaining == 0)) {
            result = Z_DATA_ERROR;
        }
    }
    inflateEnd(&stream);
    if (status == Status::Ok && result != Z_STREAM_END) {
        status = Status::Damaged;
    }
    return status;
}
