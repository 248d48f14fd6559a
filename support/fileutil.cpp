#include "support/fileutil.h"

#include "support/bytestring.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
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

// Longest folder path the classic Windows calls take (MAX_PATH less room for an 8.3 name).
constexpr std::size_t kClassicFolderLimit = MAX_PATH - 12;

/* True for both separators Windows accepts. */
bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

/* path from the local 8-bit code page (or `codePage`) to UTF-16, "/" taken as "\\". */
std::wstring toWide(const std::string& path, UINT codePage = CP_ACP) {
    std::wstring wide;
    const int length =
        MultiByteToWideChar(codePage, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (length > 0) {
        wide.resize(static_cast<std::size_t>(length));
        MultiByteToWideChar(codePage, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                            length);
    }
    for (wchar_t& c : wide) {
        c = c == L'/' ? L'\\' : c;
    }
    return wide;
}

/* path for the wide Windows calls. A path whose full form is too long for the classic calls
   is made absolute and given the "\\?\" prefix, which lifts the limit; shorter paths are kept
   as written, so relative paths and device names behave as before. */
std::wstring longPath(const std::string& path, UINT codePage = CP_ACP) {
    const std::wstring wide = toWide(path, codePage);
    if (wide.rfind(L"\\\\?\\", 0) == 0) {
        return wide;
    }
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return wide;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return wide;
    }
    full.resize(length);
    if (full.size() < kClassicFolderLimit) {
        return wide;
    }
    // "\\server\share\..." becomes "\\?\UNC\server\share\...".
    return full.rfind(L"\\\\", 0) == 0 ? L"\\\\?\\UNC" + full.substr(1) : L"\\\\?\\" + full;
}

/* The attributes of the entry at a wide path, INVALID_FILE_ATTRIBUTES when there is none. */
DWORD attributesOf(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

/* The folder part of a file path with its final separator ("C:\\" for "C:\\a"), "." when it has
   none. */
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

/* A name for a new temporary file next to target, unique within this process's run. */
std::wstring temporaryNameFor(const std::string& target, unsigned attempt) {
    const std::string name = folderOf(target) + "swq" + std::to_string(GetCurrentProcessId()) +
                             "-" + std::to_string(GetTickCount()) + "-" + std::to_string(attempt) +
                             ".tmp";
    return longPath(name);
}

/* Create a new temporary file next to target; its handle, with its wide path in tempPath, or
   INVALID_HANDLE_VALUE. */
HANDLE createTemporaryFile(const std::string& target, std::wstring& tempPath) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        tempPath = temporaryNameFor(target, attempt);
        const HANDLE file = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

/* Write bytes to the open file, flush them to disk and close it. */
bool writeDurably(HANDLE file, std::string_view bytes) {
    bool ok = true;
    while (ok && !bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data(), chunk, &written, nullptr) && written > 0;
        bytes.remove_prefix(written);
    }
    ok = FlushFileBuffers(file) && ok;
    return CloseHandle(file) && ok;
}

/* Move the file at from onto to in one step, replacing a file there; `durable`: wait until
   the move is on disk. */
bool moveOver(const std::wstring& from, const std::wstring& to, bool durable) {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0)) != 0;
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

/* Rename from onto to in one step, replacing a file there; `durable`: flush the folder's
   entries too. */
bool moveOver(const std::string& from, const std::string& to, bool durable) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    if (durable) {
        syncFolder(folderOf(to));
    }
    return true;
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
    // The search takes no trailing separator; one there asks for a folder.
    std::string entry = cPath;
    while (entry.size() > 1 && isSeparator(entry.back())) {
        entry.pop_back();
    }
    const bool wantFolder = entry.size() < cPath.size();
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(longPath(entry).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        attributes = found.dwFileAttributes;
        FindClose(search);
    } else {
        // Roots and shares ("C:\\", "\\\\server\\share") are no search results.
        attributes = attributesOf(longPath(cPath));
    }
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (!wantFolder || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
#else
    struct stat info;
    return ::lstat(cPath.c_str(), &info) == 0;
#endif
}

/* Open the file at path, beyond the classic length limit on Windows. */
std::FILE* openFile(std::string_view path, const char* mode) {
    const std::string cPath = pathString(path);
    if (cPath.empty() || mode == nullptr) {
        return nullptr;
    }
#ifdef _WIN32
    return _wfopen(longPath(cPath).c_str(), toWide(mode).c_str());
#else
    return std::fopen(cPath.c_str(), mode);
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
        CreateDirectoryW(longPath(folder).c_str(), nullptr);
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
        target.empty() ? INVALID_FILE_ATTRIBUTES : attributesOf(longPath(target));
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return -1;
    }
    std::wstring tempPath;
    const HANDLE file = createTemporaryFile(target, tempPath);
    if (file == INVALID_HANDLE_VALUE) {
        return -1;
    }
    if (!writeDurably(file, bytes) || !moveOver(tempPath, longPath(target), true)) {
        DeleteFileW(tempPath.c_str());
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
    if (::close(fd) != 0 || !written || !moveOver(tempPath, target, true)) {
        ::unlink(tempPath.c_str());
        return -1;
    }
    return 0;
}

#endif

/* Move a file into place by one rename. */
int moveFileOver(std::string_view from, std::string_view to) {
    const std::string source = pathString(from);
    const std::string target = pathString(to);
    if (source.empty() || target.empty()) {
        return -1;
    }
#ifdef _WIN32
    return moveOver(longPath(source, CP_UTF8), longPath(target, CP_UTF8), false) ? 0 : -1;
#else
    return moveOver(source, target, false) ? 0 : -1;
#endif
}
