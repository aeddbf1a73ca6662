// temp_folder.h: a fresh folder for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "platform/contract/paths.h"

namespace test {

class TempFolder {
public:
    // The folder's name starts with `prefix` (UTF-8).
    explicit TempFolder(const std::string& prefix = "zwinkerle-test.") {
        std::random_device random;
        std::filesystem::path path;
        do {
            path = std::filesystem::temp_directory_path() / Native(prefix + std::to_string(random()));
        } while (!std::filesystem::create_directory(path));
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        const std::u8string utf8 = path.u8string();
        path_.assign(utf8.begin(), utf8.end());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(Native(path_), std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(Native(path_), ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // UTF-8 paths, with the platform's separator.
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + platform::kPathSeparator + name; }
    void Write(const std::string& name, const std::string& contents) const {
        std::ofstream(Native(File(name)), std::ios::binary) << contents;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Native(File(name)), std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        return buffer.str();
    }
    // Names in the folder, to spot stray temporary files.
    std::size_t EntryCount() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Native(path_))) ++count;
        return count;
    }

    // A UTF-8 path as the file system library takes it on every platform.
    static std::filesystem::path Native(const std::string& utf8) { return std::u8string(utf8.begin(), utf8.end()); }

private:
    std::string path_;
};

}  // namespace test
