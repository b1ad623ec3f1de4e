#pragma once
// A folder of its own for the files of one test, removed however the test ends.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace mt1d_testing {

class TempDir {
public:
    TempDir()
        : path_(std::filesystem::temp_directory_path() /
                ("mt1d-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++)))
    {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Writes `content` into `name` (folders made as needed); returns the file's path.
    std::string Write(const std::string& name, const std::string& content) const
    {
        const std::filesystem::path file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        return file.string();
    }

private:
    static inline int counter_ = 0;
    std::filesystem::path path_;
};

}  // namespace mt1d_testing
