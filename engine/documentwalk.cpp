#include "engine/documentwalk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <set>
#include <utility>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

// What listing a folder gave.
enum class Listed { Yes, Missing, Unreadable };

/* Sort names as a folder listing shows them: lower-cased text, ties in listing order. */
void sortByName(std::vector<DocumentWalk::Name>& names) {
    std::vector<std::pair<QString, DocumentWalk::Name>> keyed;
    keyed.reserve(names.size());
    for (DocumentWalk::Name& name : names) {
        keyed.emplace_back(name.text.toLower(), std::move(name));
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = std::move(keyed[i].second);
    }
}

#ifdef Q_OS_UNIX

/* Length of the well-formed UTF-8 sequence at `at`, or 0 when the byte there starts none. */
int utf8SequenceLength(const QByteArray& bytes, int at) {
    const auto byte = [&bytes](int i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    const int length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || at + length > bytes.size()) {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // fromUtf8 marks overlong forms, surrogates and values past U+10FFFF with U+FFFD.
    const QString decoded = QString::fromUtf8(bytes.constData() + at, length);
    return decoded.contains(QChar::ReplacementCharacter) ? 0 : length;
}

/* The name as text: well-formed UTF-8 decoded, every other byte written \xHH. */
QString escapedName(const QByteArray& bytes) {
    QString text;
    for (int at = 0; at < bytes.size();) {
        const int length = utf8SequenceLength(bytes, at);
        if (length == 0) {
            text += QStringLiteral("\\x%1").arg(static_cast<unsigned char>(bytes[at]), 2, 16,
                                                QLatin1Char('0'));
            ++at;
        } else {
            text += QString::fromUtf8(bytes.constData() + at, length);
            at += length;
        }
    }
    return text;
}

/* A name from the listing, with the reason a file of that name cannot be opened, if any. */
DocumentWalk::Name nameOf(const QByteArray& raw, const QByteArray& folder) {
    DocumentWalk::Name name{QFile::decodeName(raw), QString()};
    if (QFile::encodeName(name.text) != raw) {
        name.text = escapedName(raw);
        name.problem = QStringLiteral("the name is not valid text in the system's encoding");
    } else if (folder.size() + 1 + raw.size() >= PATH_MAX) {
        name.problem = QStringLiteral("the path is longer than the system can open");
    }
    return name;
}

/* What an entry is: a regular file, a folder (links followed), or something not listed. */
enum class Kind { File, Folder, Other };

/* The kind of a listed entry, asking the file system only when the listing does not say. */
Kind kindOf(int folder, const dirent* entry) {
    unsigned char type = entry->d_type;
    struct stat status {};
    if (type == DT_UNKNOWN) {
        if (::fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return Kind::Other;
        }
        type = S_ISREG(status.st_mode)   ? DT_REG
               : S_ISDIR(status.st_mode) ? DT_DIR
               : S_ISLNK(status.st_mode) ? DT_LNK
                                         : DT_UNKNOWN;
    }
    if (type == DT_LNK) {
        // A link counts only when it leads to a folder: links to files are not listed.
        return ::fstatat(folder, entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode)
                   ? Kind::Folder
                   : Kind::Other;
    }
    return type == DT_REG ? Kind::File : type == DT_DIR ? Kind::Folder : Kind::Other;
}

/* List a folder's files and subfolders by reading it directly, so that names keep their bytes. */
Listed listFolder(const QString& path, DocumentWalk::Listing& out) {
    const QByteArray encoded = QFile::encodeName(path);
    DIR* dir = ::opendir(encoded.constData());
    if (dir == nullptr) {
        return errno == ENOENT || errno == ENOTDIR ? Listed::Missing : Listed::Unreadable;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (raw == "." || raw == "..") {
            continue;
        }
        const Kind kind = kindOf(::dirfd(dir), entry);
        if (kind == Kind::File) {
            out.files.push_back(nameOf(raw, encoded));
        } else if (kind == Kind::Folder && !raw.startsWith('.')) {  // hidden: not entered
            out.folders.push_back(nameOf(raw, encoded));
        }
    }
    ::closedir(dir);
    return Listed::Yes;
}

#else

/* List a folder's files and subfolders through Qt, which knows the platform's hidden files. */
Listed listFolder(const QString& path, DocumentWalk::Listing& out) {
    const QDir dir(path);
    if (!dir.exists()) {
        return Listed::Missing;
    }
    if (!dir.isReadable()) {
        return Listed::Unreadable;
    }
    for (const QString& name :
         dir.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Unsorted)) {
        out.files.push_back(DocumentWalk::Name{name, QString()});
    }
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted)) {
        out.folders.push_back(DocumentWalk::Name{name, QString()});
    }
    return Listed::Yes;
}

#endif

}  // namespace

// The folders walked so far, by what makes a folder itself: device and file number where
// there are any, else the canonical path.
class DocumentWalk::SeenFolders {
public:
    /* Remember the folder; false when it was walked already or cannot be identified. */
    bool firstVisit(const QString& path) {
#ifdef Q_OS_UNIX
        struct stat status {};
        if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
            return true;  // listing it will fail and name it as unreadable
        }
        return m_ids
            .emplace(static_cast<quint64>(status.st_dev), static_cast<quint64>(status.st_ino))
            .second;
#else
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (canonical.isEmpty() || m_paths.contains(canonical)) {
            return canonical.isEmpty();
        }
        m_paths.insert(canonical);
        return true;
#endif
    }

private:
#ifdef Q_OS_UNIX
    std::set<std::pair<quint64, quint64>> m_ids;
#else
    QSet<QString> m_paths;
#endif
};

// A folder on the way down: its listing and how far the walk has gone through it.
struct DocumentWalk::Folder {
    QString path;  // with '/' separators, no trailing one
    Listing listing;
    std::size_t nextFile = 0;
    std::size_t nextFolder = 0;
};

/* Start at the root, as a QDir would name it (no trailing separator). */
DocumentWalk::DocumentWalk(const QString& root) : m_seen(std::make_unique<SeenFolders>()) {
    if (!root.isEmpty()) {
        enter(QDir(root).path());
    }
}

DocumentWalk::~DocumentWalk() = default;

/* List a folder and put it on the stack, unless it was walked before. */
void DocumentWalk::enter(const QString& path) {
    if (!m_seen->firstVisit(path)) {
        return;
    }
    Folder folder;
    folder.path = path;
    const Listed listed = listFolder(path, folder.listing);
    if (listed != Listed::Yes) {
        if (listed == Listed::Unreadable) {
            m_unreadable.append(QDir::toNativeSeparators(path));
        }
        return;
    }
    sortByName(folder.listing.files);
    sortByName(folder.listing.folders);
    m_stack.push_back(std::move(folder));
}

/* The next file of the deepest folder; when it has none left, enter its next subfolder; when
   it has none of those either, go back up. */
bool DocumentWalk::next(Entry& entry) {
    while (!m_stack.empty()) {
        Folder& folder = m_stack.back();
        if (folder.nextFile < folder.listing.files.size()) {
            const Name& name = folder.listing.files[folder.nextFile++];
            entry.nativePath = QDir::toNativeSeparators(folder.path + QLatin1Char('/') + name.text);
            entry.problem = name.problem;
            return true;
        }
        if (folder.nextFolder < folder.listing.folders.size()) {
            const Name& name = folder.listing.folders[folder.nextFolder++];
            const QString path = QDir(folder.path).absoluteFilePath(name.text);
            if (name.problem.isEmpty()) {
                enter(path);
            } else {
                m_unreadable.append(QDir::toNativeSeparators(path));
            }
            continue;
        }
        m_stack.pop_back();
    }
    return false;
}
