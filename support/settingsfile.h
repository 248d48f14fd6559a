#pragma once

// The key-value settings file: lines of key=value ending in "\r\n", no header, comments,
// quoting or escapes. A key is found as the first occurrence of "key=" anywhere in the text;
// its value runs up to the first "\r\n" after it and is read with blanks trimmed. The file
// is never created by these helpers: when it is absent, reads give empty values and writes
// are dropped.

#include <cstddef>
#include <string>
#include <string_view>

// Read the whole file at path (at most maxBytes bytes of it) into destination. Returns 0, or
// -1 with destination untouched when the file cannot be opened or read (a folder, say). A
// path ends at its first NUL byte, as in a zero-filled buffer.
int readWholeFile(std::string& destination, std::string_view path,
                  std::size_t maxBytes = std::string::npos);

// out = the value of key in settingsText: the bytes after the first "key=" up to the first
// "\r\n" after it, blanks trimmed at both ends. Empty when the key is missing or its value is
// not ended by "\r\n".
void getKeyValue(std::string& out, std::string_view settingsText, std::string_view key);

// out = settingsText with the line of key set to "key=value\r\n": the first "key=" and
// everything up to and including the following "\r\n" (or the end of the text) is replaced.
// A key that does not occur is appended as the last line, after a "\r\n" when the text is
// empty or does not end with a line feed.
void setKeyValueInText(std::string& out, std::string_view settingsText, std::string_view key,
                       std::string_view value);

// Set key to value in the settings file at path. The file is rewritten through a temporary
// file in the same folder and an atomic rename, so it is either the old or the new text,
// never a truncated one. Returns 0 after the rewrite; -1 when the file cannot be read
// (nothing is created) or cannot be rewritten (the old file stays as it was).
int setKeyValueInFile(std::string_view path, std::string_view key, std::string_view value);
