#pragma once
// A fresh empty folder under the system's temporary folder for one test, removed with all its
// contents when the test ends. Plain standard library, so tests of every layer can use it.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace testing_support {

class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path candidate =
          base / ("zep-test-" + std::to_string(random()) + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, error)) {
        root = candidate;
        break;
      }
    }
  }
  ~TempFolder() {
    std::error_code error;
    if (root.empty()) return;
    // Give back write permission that a test took away, so the folder can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
      if (it->is_directory(error)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
      }
    }
    std::filesystem::remove_all(root, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return root; }
  // The absolute path of name inside the folder.
  std::string operator/(const std::string& name) const { return (root / name).string(); }

  void Write(const std::string& name, const std::string& content) const {
    std::filesystem::create_directories((root / name).parent_path());
    std::ofstream out(root / name, std::ios::binary | std::ios::trunc);
    out << content;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(root / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::string& name) const {
    std::error_code error;
    return std::filesystem::exists(root / name, error);
  }
  // Makes the file one that exists but cannot be read, for root too: it moves aside and a link to
  // itself takes its place (opening it fails with "Too many levels of symbolic links"). Readable
  // puts it back.
  void MakeUnreadable(const std::string& name) const {
    std::filesystem::rename(root / name, root / (name + ".aside"));
    std::filesystem::create_symlink(name, root / name);
  }
  void MakeReadable(const std::string& name) const {
    std::filesystem::remove(root / name);
    std::filesystem::rename(root / (name + ".aside"), root / name);
  }
  bool IsLink(const std::string& name) const {
    std::error_code error;
    return std::filesystem::is_symlink(root / name, error);
  }
  // The number of entries in the folder, for checking that nothing was left behind.
  size_t EntryCount() const {
    std::error_code error;
    size_t count = 0;
    for (auto it = std::filesystem::directory_iterator(root, error);
         it != std::filesystem::directory_iterator(); it.increment(error)) {
      ++count;
    }
    return count;
  }

 private:
  std::filesystem::path root;
};

}  // namespace testing_support
