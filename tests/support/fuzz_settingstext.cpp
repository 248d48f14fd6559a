// Fuzz target for the settings text and marker helpers: no input may crash them, and a value
// written for a plain key reads back as written.

#include "support/bytestring.h"
#include "support/settingsfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

/* The next line of input (up to "\n"), consumed from rest. */
std::string_view takeLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return line;
}

/* True when key=value must survive a write and a read unchanged: a key without "=" or line
   breaks that does not start with a blank, a value without line breaks or outer blanks. */
bool roundTrips(std::string_view key, std::string_view value) {
    if (key.empty() || key.find_first_of("=\r\n") != std::string_view::npos || key[0] == ' ' ||
        key[0] == '\t' || value.find_first_of("\r\n") != std::string_view::npos) {
        return false;
    }
    return value.empty() || (value.front() != ' ' && value.front() != '\t' && value.back() != ' ' &&
                             value.back() != '\t');
}

/* Stop the run with a crash the fuzzer reports. */
void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

/* One input: a key line, a value line, then the settings text or reply. */
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view key = takeLine(rest);
    const std::string_view value = takeLine(rest);
    const std::string_view text = rest;

    std::string written;
    setKeyValueInText(written, text, key, value);
    std::string read;
    getKeyValue(read, written, key);
    if (roundTrips(key, value)) {
        check(read == value);
    }
    // Lines before the key, or the whole old text when the key is new, are kept.
    std::string marker(key);
    marker.push_back('=');
    const std::size_t at = text.find(marker);
    check(written.compare(0, at == std::string_view::npos ? text.size() : at, text.substr(0, at)) ==
          0);

    std::string out;
    jsonFieldValue(out, text, key);
    textBetween(out, text, key, value, 1, 0, 1, 0);
    if (!key.empty()) {
        const std::ptrdiff_t last = lastIndexOfText(text, key);
        check(last < 0 || text.substr(static_cast<std::size_t>(last), key.size()) == key);
    }
    std::string replaced(text);
    replaceAll(replaced, key, value);
    replaceLast(replaced, value, key);
    return 0;
}
