#include "office/ole/compoundfile.h"

#include "tests/office/excel/xls/xlsoracle.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <functional>
#include <map>

namespace {

constexpr quint32 kEnd = 0xFFFFFFFE;
constexpr quint32 kFree = 0xFFFFFFFF;
constexpr quint32 kNone = 0xFFFFFFFF;
using Stream = CompoundFile::Stream;

/* Write a little-endian 32-bit number into `bytes`. */
void put32(QByteArray& bytes, int offset, quint32 value) {
    qToLittleEndian<quint32>(value, bytes.data() + offset);
}

// One directory entry (MS-CFB 2.6) before it is encoded.
struct Entry {
    QString name;
    quint8 type;  // 1 storage, 2 stream, 5 root
    quint32 left = kNone, right = kNone, child = kNone, start = kEnd;
    quint64 size = 0;
};

/* The 128 bytes of each entry, one after the other. */
QByteArray encode(const std::vector<Entry>& entries) {
    QByteArray bytes;
    for (const Entry& e : entries) {
        QByteArray entry(128, '\0');
        const QByteArray name(reinterpret_cast<const char*>(e.name.utf16()), e.name.size() * 2);
        entry.replace(0, name.size(), name);  // UTF-16LE on the little-endian test machines
        // Name length in bytes, object type, colour black.
        put32(entry, 0x40,
              static_cast<quint32>(e.name.size() + 1) * 2 | static_cast<quint32>(e.type) << 16 |
                  1u << 24);
        for (const auto& [offset, value] :
             {std::pair{0x44, e.left}, {0x48, e.right}, {0x4C, e.child}, {0x74, e.start}}) {
            put32(entry, offset, value);
        }
        put32(entry, 0x78, static_cast<quint32>(e.size));
        put32(entry, 0x7C, static_cast<quint32>(e.size >> 32));
        bytes += entry;
    }
    return bytes;
}

// A compound file put together sector by sector, for shapes our writer never makes.
struct Image {
    int shift;
    QByteArray sectors;
    std::vector<quint32> fat;

    /* Append whole sectors holding `bytes` as one chain; its first sector. */
    quint32 addChain(const QByteArray& bytes) {
        const int size = 1 << shift;
        const quint32 first = static_cast<quint32>(fat.size());
        const int count = (bytes.size() + size - 1) / size;
        for (int i = 0; i < count; ++i) {
            sectors += bytes.mid(i * size, size).leftJustified(size, '\0');
            fat.push_back(i + 1 < count ? first + static_cast<quint32>(i) + 1 : kEnd);
        }
        return count > 0 ? first : kEnd;
    }

    /* Header, sectors, then the FAT sectors, all of them listed in the header. */
    QByteArray file(quint32 directory) const {
        const int perSector = (1 << shift) / 4;
        int fatCount = 1;
        while (static_cast<int>(fat.size()) + fatCount > fatCount * perSector) {
            ++fatCount;
        }
        std::vector<quint32> table = fat;
        table.resize(fat.size() + fatCount, 0xFFFFFFFD);
        table.resize(std::size_t(fatCount) * perSector, kFree);
        QByteArray header(1 << shift, '\0');
        header.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
        put32(header, 0x18, shift == 9 ? 0x0003003E : 0x0004003E);
        put32(header, 0x1C, 0xFFFE | static_cast<quint32>(shift) << 16);
        put32(header, 0x20, 6);
        put32(header, 0x2C, static_cast<quint32>(fatCount));
        put32(header, 0x30, directory);
        put32(header, 0x38, 4096);
        put32(header, 0x3C, kEnd);
        put32(header, 0x44, kEnd);
        for (int i = 0; i < 109; ++i) {
            put32(header, 0x4C + 4 * i,
                  i < fatCount ? static_cast<quint32>(fat.size() + i) : kFree);
        }
        QByteArray fatBytes(static_cast<int>(table.size()) * 4, '\0');
        for (std::size_t i = 0; i < table.size(); ++i) {
            put32(fatBytes, static_cast<int>(i) * 4, table[i]);
        }
        return header + sectors + fatBytes;
    }
};

/* A compound file of streams (and storages) whose data `streams` gives by entry. */
QByteArray imageFile(std::vector<Entry> entries, const std::map<int, QByteArray>& streams,
                     int shift = 12) {
    Image image{shift, {}, {}};
    for (const auto& [index, data] : streams) {
        entries[index].start = image.addChain(data);
        entries[index].size = static_cast<quint64>(data.size());
    }
    const quint32 directory = image.addChain(encode(entries));
    return image.file(directory);
}

/* Bytes that differ from sector to sector, so a wrong sector shows. */
QByteArray pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i * 7 + i / 512);
    }
    return bytes;
}

TEST(CompoundFile, BuiltFilesReadBackHereAndInXlrdTheSameOnEveryRun) {
    // Empty, mini stream (below 4096), regular sectors, and past 109 FAT sectors (DIFAT).
    const int sizes[] = {0, 100, 4095, 4096, 5000, 8 << 20};
    QTemporaryDir folder;
    QStringList paths;
    for (const int size : sizes) {
        const QByteArray stream = pattern(size);
        QByteArray file;
        QByteArray again;
        ASSERT_TRUE(CompoundFile::build("Workbook", stream, file));
        ASSERT_TRUE(CompoundFile::build("Workbook", stream, again));
        EXPECT_EQ(file, again) << size;
        EXPECT_EQ(file.size() % 512, 0) << size;
        const CompoundFile read(file);
        QByteArray back;
        ASSERT_EQ(read.readStream("WORKBOOK", size, back), Stream::Ok) << size;
        EXPECT_EQ(back, stream) << size;
        EXPECT_EQ(read.readStream("Workbook", size - 1, back),
                  size ? Stream::TooLarge : Stream::Ok);
        paths << folder.filePath(QString::number(size));
        QFile out(paths.last());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    }
    // xlrd's own compound file reader, which we did not write, finds the same bytes.
    const QString found = xlsoracle::runPython(
        QStringLiteral(
            "import sys, hashlib\nfrom xlrd import compdoc\nfor p in sys.argv[1:]:\n"
            "    s = compdoc.CompDoc(open(p, 'rb').read()).get_named_stream('Workbook')\n"
            "    print(len(s), hashlib.md5(s).hexdigest())"),
        paths);
    QStringList expected;
    for (const int size : sizes) {
        const QByteArray digest = QCryptographicHash::hash(pattern(size), QCryptographicHash::Md5);
        expected << QStringLiteral("%1 %2").arg(size).arg(QString::fromLatin1(digest.toHex()));
    }
    EXPECT_EQ(found, expected.join(QLatin1Char('\n')));
}

TEST(CompoundFile, NamesCompareByUpperCasedUtf16) {
    const struct {
        const char* built;
        const char* looked;
        bool found;
    } rows[] = {{"Workbook", "wORKBOOK", true},
                {"\xC3\xA4rger", "\xC3\x84RGER", true},  // ärger, ÄRGER
                {"Workbook", "Workbook ", false},
                {"Workbook", "Book", false}};
    for (const auto& row : rows) {
        QByteArray file;
        ASSERT_TRUE(CompoundFile::build(row.built, QByteArray("x"), file));
        EXPECT_EQ(CompoundFile(file).hasStream(row.looked), row.found) << row.looked;
    }
    QByteArray file;
    EXPECT_FALSE(CompoundFile::build("", QByteArray("x"), file));
    EXPECT_FALSE(CompoundFile::build("a name of thirty-two characters!", QByteArray("x"), file));
}

// The entries of the damaged-file table: Big (entry 1, regular sectors), storage S (entry 2)
// holding the stream Inner (entry 3).
std::vector<Entry> soundEntries() {
    return {{QStringLiteral("Root Entry"), 5, kNone, kNone, 1},
            {QStringLiteral("Big"), 2, kNone, 2},
            {QStringLiteral("S"), 1, kNone, kNone, 3},
            {QStringLiteral("Inner"), 2}};
}

TEST(CompoundFile, DamagedFilesAreRefusedOrTheirStreamsUnreadableWithoutLoops) {
    const QByteArray big = pattern(5000);  // sectors 0 to 9 of 512 bytes, the directory is 10
    const struct {
        const char* name;
        std::function<void(std::vector<Entry>&)> entries;
        std::function<void(std::vector<quint32>&)> fat;
        std::function<void(QByteArray&)> file;
        bool opens;
        Stream big, inner;
    } rows[] = {
        {"sound", {}, {}, {}, true, Stream::Ok, Stream::Ok},
        {"FAT chain cycle",
         {},
         [](auto& fat) { fat[5] = 2; },
         {},
         true,
         Stream::Unreadable,
         Stream::Ok},
        {"sector outside the file",
         {},
         [](auto& fat) { fat[3] = 5000; },
         {},
         true,
         Stream::Unreadable,
         Stream::Ok},
        {"chain shorter than the size",
         [](auto& e) { e[1].size = 20000; },
         {},
         {},
         true,
         Stream::Unreadable,
         Stream::Ok},
        {"size above the limit",
         [](auto& e) { e[1].size = 0xFFFFFFF0; },
         {},
         {},
         true,
         Stream::TooLarge,
         Stream::Ok},
        {"child back to the root",
         [](auto& e) { e[2].child = 0; },
         {},
         {},
         true,
         Stream::Ok,
         Stream::Absent},
        {"child back to itself",
         [](auto& e) { e[2].child = 2; },
         {},
         {},
         true,
         Stream::Ok,
         Stream::Absent},
        {"sibling back up the tree",
         [](auto& e) { e[2].left = 1; },
         {},
         {},
         true,
         Stream::Ok,
         Stream::Ok},
        {"link outside the directory",
         [](auto& e) { e[1].right = 70000; },
         {},
         {},
         true,
         Stream::Ok,
         Stream::Absent},
        {"no root entry",
         [](auto& e) { e[0].type = 1; },
         {},
         {},
         false,
         Stream::Absent,
         Stream::Absent},
        {"directory chain cycle",
         {},
         [](auto& fat) { fat[10] = 10; },
         {},
         false,
         Stream::Absent,
         Stream::Absent},
        {"directory outside the file",
         {},
         {},
         [](auto& f) { put32(f, 0x30, 0xFFFF); },
         false,
         Stream::Absent,
         Stream::Absent},
        {"sector shift 10",
         {},
         {},
         [](auto& f) { put32(f, 0x1C, 0x000AFFFE); },
         false,
         Stream::Absent,
         Stream::Absent},
        {"cut inside the header",
         {},
         {},
         [](auto& f) { f.truncate(500); },
         false,
         Stream::Absent,
         Stream::Absent},
    };
    for (const auto& row : rows) {
        std::vector<Entry> entries = soundEntries();
        if (row.entries) {
            row.entries(entries);
        }
        Image image{9, {}, {}};
        const quint32 start = image.addChain(big);
        entries[1].start = start;
        entries[1].size = entries[1].size ? entries[1].size : static_cast<quint64>(big.size());
        const quint32 directory = image.addChain(encode(entries));
        if (row.fat) {
            row.fat(image.fat);
        }
        QByteArray bytes = image.file(directory);
        if (row.file) {
            row.file(bytes);
        }
        const CompoundFile file(bytes);
        ASSERT_EQ(file.isOpen(), row.opens) << row.name;
        if (!row.opens) {
            EXPECT_FALSE(file.hasStream("Big")) << row.name;
            continue;
        }
        QByteArray read;
        EXPECT_EQ(file.readStream("Big", 1 << 20, read), row.big) << row.name;
        EXPECT_EQ(read, row.big == Stream::Ok ? big : QByteArray()) << row.name;
        EXPECT_EQ(file.readStream({"S", "Inner"}, 1 << 20, read), row.inner) << row.name;
    }
}

TEST(CompoundFile, DifatCycleIsRefused) {
    // 300 FAT sectors said: 109 in the header, the rest in a DIFAT sector linking to itself.
    Image image{9, {}, {}};
    image.addChain(QByteArray(300 * 512, '\0'));
    const quint32 directory = image.addChain(encode(soundEntries()));
    QByteArray difat(512, '\0');
    const quint32 difatSector = static_cast<quint32>(image.fat.size());
    const quint32 fatSector = difatSector + 1;  // the image's FAT sectors follow
    for (int i = 0; i < 127; ++i) {
        put32(difat, 4 * i, fatSector);
    }
    put32(difat, 508, difatSector);
    image.addChain(difat);
    QByteArray bytes = image.file(directory);
    for (int i = qFromLittleEndian<quint32>(bytes.constData() + 0x2C); i < 109; ++i) {
        put32(bytes, 0x4C + 4 * i, fatSector);  // the header's list full, so the DIFAT is read
    }
    ASSERT_TRUE(CompoundFile(bytes).isOpen());  // as long as the header's list is enough
    put32(bytes, 0x2C, 300);
    put32(bytes, 0x44, difatSector);
    put32(bytes, 0x48, 1);
    EXPECT_FALSE(CompoundFile(bytes).isOpen());
}

TEST(CompoundFile, HundredThousandChainedSiblingsOpenWithoutDeepCalls) {
    // Each stream's right sibling is the next: a tree 100,000 levels deep.
    const int count = 100000;
    std::vector<Entry> entries{{QStringLiteral("Root Entry"), 5, kNone, kNone, 1}};
    for (int i = 1; i <= count; ++i) {
        entries.push_back({QStringLiteral("s%1").arg(i), 2, kNone,
                           i < count ? static_cast<quint32>(i + 1) : kNone});
    }
    const QByteArray bytes = imageFile(entries, {{count, QByteArray("last")}});
    const CompoundFile file(bytes);
    ASSERT_TRUE(file.isOpen());
    EXPECT_TRUE(file.hasStream("s1"));
    QByteArray read;
    EXPECT_EQ(file.readStream("S100000", 16, read), Stream::Unreadable);  // no mini stream
    EXPECT_FALSE(file.hasStream("s100001"));
}

TEST(CompoundFile, ObjectInAPoolOfHundredThousandStoragesIsFoundDirectly) {
    // ObjectPool's storages _1 ... _100000 as a balanced tree (names in MS-CFB order).
    const int count = 100000;
    std::vector<Entry> entries{{QStringLiteral("Root Entry"), 5, kNone, kNone, 1},
                               {QStringLiteral("ObjectPool"), 1}};
    for (int i = 1; i <= count; ++i) {
        entries.push_back({QStringLiteral("_%1").arg(i), 1});
    }
    std::function<quint32(int, int)> balance = [&](int low, int high) -> quint32 {
        if (low >= high) {
            return kNone;
        }
        const int middle = (low + high) / 2;
        entries[middle + 1].left = balance(low, middle);
        entries[middle + 1].right = balance(middle + 1, high);
        return static_cast<quint32>(middle + 1);
    };
    entries[1].child = balance(1, count + 1);
    entries[77777 + 1].child = static_cast<quint32>(entries.size());
    entries.push_back({QStringLiteral("Equation Native"), 2});
    const QByteArray native = pattern(5000);
    const QByteArray bytes = imageFile(entries, {{static_cast<int>(entries.size()) - 1, native}});
    const CompoundFile file(bytes);
    ASSERT_TRUE(file.isOpen());
    QByteArray read;
    EXPECT_EQ(file.readStream({"ObjectPool", "_77777", "Equation Native"}, 1 << 20, read),
              Stream::Ok);
    EXPECT_EQ(read, native);
    EXPECT_EQ(file.readStream({"ObjectPool", "_77778", "Equation Native"}, 1 << 20, read),
              Stream::Absent);
    EXPECT_EQ(file.readStream({"ObjectPool", "_77777"}, 1 << 20, read), Stream::Absent);
}

}  // namespace
