#pragma once

// File and directory helpers on byte-string paths in the local 8-bit code page. A path ends at
// its first NUL byte, so a zero-filled buffer holding a path may be passed whole.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Size in bytes of an open stream, leaving its position where it was. 0 for a null stream or
// one whose position cannot be taken.
std::uint32_t streamSize(std::FILE* stream);

// True when path names any entry on disk (file, folder, or link, even a dangling one); false
// for an empty path. A path ending in a separator ("/", on Windows also "\") names a folder
// only: false for a file. On Windows wildcards in the last component count as a search
// pattern, and paths longer than the classic limit of 260 characters work.
bool pathExists(std::string_view path);

// Open the file at path as std::fopen does, mode as there; on Windows through the wide calls,
// so paths longer than the classic limit of 260 characters work. Null when it cannot be opened.
std::FILE* openFile(std::string_view path, const char* mode);

// Create every folder along the folder path dir, in order from the shortest prefix; folders
// that exist or cannot be made are passed over. The text before the first separator (a drive
// such as C:, the first folder of a relative path, nothing before a leading "/") is never
// created; the last component is. "/" and, on Windows, "\" are separators. On Windows a
// path longer than the classic limit of 260 characters is created too (through its absolute
// "\\?\" form).
void makeDirectoryPath(std::string_view dir);

// The folders makeDirectoryPath(dir) tries to create, in order, for the given separator:
// with '\\', every "/" is taken as a backslash first ("C:/Out/A" gives C:\Out and C:\Out\A);
// with '/', backslashes are ordinary bytes ("/tmp/a" gives /tmp and /tmp/a).
std::vector<std::string> directoryPrefixes(std::string_view dir, char separator);

// Replace the contents of the existing file at path by bytes: written to a temporary file in
// the same folder, flushed to disk, then renamed over the file; the file keeps its permissions,
// and through a link the linked file is rewritten. Returns 0, or -1 when the file is absent or
// not writable or the rewrite fails; then the old file stays as it was and no temporary file is
// left behind. On Windows paths longer than the classic limit work.
int replaceFileContents(std::string_view path, std::string_view bytes);

// Move the file at from onto the path to in one step: a file already at to is replaced, and at
// no moment is there no file at to (rename; on Windows MoveFileExW with
// MOVEFILE_REPLACE_EXISTING); unlike replaceFileContents it does not wait for the disk.
// Both paths lie in one file system, normally in one folder. Unlike the functions above, the
// paths are as the system names files: UTF-8 on Windows (so that any name can be reached),
// the name's own bytes elsewhere. Returns 0, or -1 when the move fails (to is a folder, from
// is missing...); then neither file has changed.
int moveFileOver(std::string_view from, std::string_view to);
