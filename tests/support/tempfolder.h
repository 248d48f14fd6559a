#pragma once

// A fresh folder under the system's temporary folder for one test, removed with everything
// in it when the test ends.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

class TempFolder {
public:
    /* Make the folder under a name no other folder has; path() is empty when it could not be
       made. */
    TempFolder() {
        std::error_code error;
        const std::filesystem::path base = std::filesystem::temp_directory_path(error);
        std::random_device seed;
        std::mt19937 pick(seed());
        for (int attempt = 0; !error && attempt < 100 && m_path.empty(); ++attempt) {
            const std::filesystem::path candidate =
                base / ("sw-support-" + std::to_string(pick() % 1000000000u));
            // create_directory is false when the name was already taken.
            if (std::filesystem::create_directory(candidate, error)) {
                m_path = candidate.string();
            }
        }
    }
    /* Remove the folder and its contents. */
    ~TempFolder() {
        if (!m_path.empty()) {
            std::error_code error;
            std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
            std::filesystem::remove_all(m_path, error);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(std::string_view name) const { return m_path + "/" + std::string(name); }

    /* Write bytes to the file name in the folder; its full path. */
    std::string write(std::string_view name, std::string_view bytes) const {
        const std::string path = file(name);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    /* The bytes of the file at path, empty when it cannot be read. */
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    /* Number of entries in the folder. */
    int entryCount() const {
        std::error_code error;
        int count = 0;
        for (std::filesystem::directory_iterator it(m_path, error), end; !error && it != end;
             it.increment(error)) {
            ++count;
        }
        return count;
    }

private:
    std::string m_path;
};
