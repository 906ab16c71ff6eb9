// A fresh folder under the system's temporary folder, removed with everything in it when
// the test ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/file_text.h"

namespace varnholt::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "varnholt-test-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string Sub(const std::string& relative) const { return path_ + "/" + relative; }

  // Writes a file (creating folders) and returns its path.
  std::string Write(const std::string& relative, const std::string& contents) const {
    std::filesystem::path p = Sub(relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << contents;
    return p.string();
  }
  std::string Read(const std::string& relative) const { return ReadFileText(Sub(relative)); }

 private:
  std::string path_;
};

}  // namespace varnholt::testing
