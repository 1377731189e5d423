// Throw-away folders and whole-file reads and writes for tests. Portable: the same tests run
// natively and under Wine.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "tarnwick-test-") {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / (prefix + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Dir() const { return dir_; }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    // A new file name each time.
    std::string NewPath() { return Path("f" + std::to_string(++n_) + ".ini"); }
    // How many files and folders the folder holds.
    std::size_t Files() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir_),
                                                      std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path dir_;
    int n_ = 0;
};

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace testing_support
