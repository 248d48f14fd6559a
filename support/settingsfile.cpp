#include "support/settingsfile.h"

#include "support/bytestring.h"
#include "support/fileutil.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// The end of a settings line.
constexpr std::string_view kLineEnd = "\r\n";

/* Closes a stdio stream when it goes out of scope. */
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

/* The path as a C string: a byte-string path ends at its first NUL. */
std::string pathString(std::string_view path) {
    return std::string(path.substr(0, path.find('\0')));
}

/* The marker that introduces key's value: key followed by "=". */
std::string keyMarker(std::string_view key) {
    std::string marker(key);
    marker.push_back('=');
    return marker;
}

}  // namespace

/* Read the whole file at path, at most maxBytes of it, into destination. */
int readWholeFile(std::string& destination, std::string_view path, std::size_t maxBytes) {
    const std::string cPath = pathString(path);
    if (cPath.empty()) {
        return -1;
    }
    FilePtr file(openFile(cPath, "rb"));
    if (!file) {
        return -1;
    }
    std::string text;
    text.reserve(std::min<std::size_t>(streamSize(file.get()), maxBytes));
    // Read up to the end rather than trusting the size: the file may change meanwhile.
    char chunk[4096];
    while (text.size() < maxBytes) {
        const std::size_t wanted = std::min(sizeof chunk, maxBytes - text.size());
        const std::size_t got = std::fread(chunk, 1, wanted, file.get());
        text.append(chunk, got);
        if (got < wanted) {
            break;
        }
    }
    // A folder opens but cannot be read; it is no settings file.
    if (std::ferror(file.get())) {
        return -1;
    }
    destination.swap(text);
    return 0;
}

/* out = the trimmed value after the first "key=" up to the following "\r\n". */
void getKeyValue(std::string& out, std::string_view settingsText, std::string_view key) {
    std::string text(settingsText);
    trimLeftBlanks(text);
    trimRightBlanks(text);
    std::string value;
    textBetween(value, text, keyMarker(key), kLineEnd, 0, 0, 0, 0);
    trimLeftBlanks(value);
    trimRightBlanks(value);
    out.swap(value);
}

/* out = settingsText with key's line replaced by, or appended as, "key=value\r\n". */
void setKeyValueInText(std::string& out, std::string_view settingsText, std::string_view key,
                       std::string_view value) {
    const std::string marker = keyMarker(key);
    std::string line = marker;
    line.append(value);
    line.append(kLineEnd);

    std::string result;
    const std::size_t at = settingsText.find(marker);
    if (at != std::string_view::npos) {
        result.assign(settingsText.substr(0, at));
        result.append(line);
        // The old value runs to the first line end after the marker, or to the end of text.
        const std::size_t lineEnd = settingsText.find(kLineEnd, at + marker.size());
        if (lineEnd != std::string_view::npos) {
            result.append(settingsText.substr(lineEnd + kLineEnd.size()));
        }
    } else {
        result.assign(settingsText);
        if (result.empty() || result.back() != '\n') {
            result.append(kLineEnd);
        }
        result.append(line);
    }
    out.swap(result);
}

/* Set key to value in the existing settings file at path, rewriting it atomically. */
int setKeyValueInFile(std::string_view path, std::string_view key, std::string_view value) {
    std::string text;
    if (readWholeFile(text, path) != 0) {
        return -1;
    }
    std::string rewritten;
    setKeyValueInText(rewritten, text, key, value);
    return replaceFileContents(path, rewritten);
}
