#include "support/fileutil.h"

#include "support/bytestring.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

/* The path as a C string: a byte-string path ends at its first NUL. */
std::string pathString(std::string_view path) {
    return std::string(path.substr(0, path.find('\0')));
}

#ifdef _WIN32

/* The folder part of a file path with its final separator ("C:\\" for "C:\\a"), "." when it has
   none. */
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

/* Write bytes to the new file at tempPath and flush them to disk. */
bool writeDurably(const char* tempPath, std::string_view bytes) {
    std::FILE* file = std::fopen(tempPath, "wb");
    if (!file) {
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fflush(file) == 0 && ok;
    ok = _commit(_fileno(file)) == 0 && ok;
    return std::fclose(file) == 0 && ok;
}

#else

/* Write all of bytes to fd, resuming after interrupted or partial writes. */
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

/* The folder part of an absolute path. */
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

/* Flush the folder's entries to disk, so a rename in it survives a crash; best effort. */
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

/* Give the new file the old one's permissions and, where allowed, its owner. */
void copyFileIdentity(int fd, const struct stat& old) {
    ::fchmod(fd, old.st_mode & 07777);
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        // Only a privileged writer may hand the file back; otherwise it stays the writer's.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            ::fchmod(fd, old.st_mode & 0777);
        }
    }
}

#endif

}  // namespace

/* Size of an open stream, its position kept. */
std::uint32_t streamSize(std::FILE* stream) {
    if (!stream) {
        return 0;
    }
    const long position = std::ftell(stream);
    if (position < 0 || std::fseek(stream, 0, SEEK_END) != 0) {
        return 0;
    }
    const long size = std::ftell(stream);
    std::fseek(stream, position, SEEK_SET);
    if (size < 0) {
        return 0;
    }
    // Larger files read as the largest size rather than wrapping to a small one.
    const unsigned long long wide = static_cast<unsigned long long>(size);
    return wide > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(wide);
}

/* True when path names any entry on disk. */
bool pathExists(std::string_view path) {
    const std::string cPath = pathString(path);
    if (cPath.empty()) {
        return false;
    }
#ifdef _WIN32
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(cPath.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return true;
#else
    struct stat info;
    return ::lstat(cPath.c_str(), &info) == 0;
#endif
}

/* The folders along dir that makeDirectoryPath creates, shortest first. */
std::vector<std::string> directoryPrefixes(std::string_view dir, char separator) {
    std::string work = pathString(dir);
    if (separator == '\\') {
        replaceAll(work, "/", "\\");
    }
    if (work.empty() || work.back() != separator) {
        work.push_back(separator);
    }
    int separators = 0;
    for (char c : work) {
        separators += c == separator ? 1 : 0;
    }
    // The text before the first separator is never created; each later one ends a folder.
    std::vector<std::string> prefixes;
    for (int k = 2; k <= separators; ++k) {
        std::string prefix;
        copyRange(prefix, work, 0, static_cast<std::size_t>(indexOfNthChar(work, separator, k)));
        prefixes.push_back(prefix);
    }
    return prefixes;
}

/* Create every folder along dir, passing over those that exist or fail. */
void makeDirectoryPath(std::string_view dir) {
    for (const std::string& folder : directoryPrefixes(dir, kSeparator)) {
#ifdef _WIN32
        _mkdir(folder.c_str());
#else
        ::mkdir(folder.c_str(), 0777);
#endif
    }
}

#ifdef _WIN32

/* Replace the existing file's contents through a temporary file and an atomic rename. */
int replaceFileContents(std::string_view path, std::string_view bytes) {
    const std::string target = pathString(path);
    const DWORD attributes =
        target.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return -1;
    }
    char tempPath[MAX_PATH];
    if (GetTempFileNameA(folderOf(target).c_str(), "swq", 0, tempPath) == 0) {
        return -1;
    }
    if (!writeDurably(tempPath, bytes) ||
        !MoveFileExA(tempPath, target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(tempPath);
        return -1;
    }
    return 0;
}

#else

/* Replace the existing file's contents through a temporary file and an atomic rename. */
int replaceFileContents(std::string_view path, std::string_view bytes) {
    const std::string cPath = pathString(path);
    // Through a link, the file it names is the one rewritten; the link stays.
    char resolved[PATH_MAX];
    struct stat old;
    if (cPath.empty() || !::realpath(cPath.c_str(), resolved) || ::stat(resolved, &old) != 0 ||
        !S_ISREG(old.st_mode) || ::access(resolved, W_OK) != 0) {
        return -1;
    }
    const std::string target = resolved;
    std::string tempPath = target + ".XXXXXX";
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0) {
        return -1;
    }
    copyFileIdentity(fd, old);
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(tempPath.c_str(), target.c_str()) != 0) {
        ::unlink(tempPath.c_str());
        return -1;
    }
    syncFolder(folderOf(target));
    return 0;
}

#endif
