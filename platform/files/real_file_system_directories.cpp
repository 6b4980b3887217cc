// The directory operations of the machine's file system, on the standard
// library's: the same on every system, names given as the system's paths.
#include <algorithm>
#include <filesystem>

#include "platform/files/real_file_system.h"
#include "platform/system/system_path.h"

namespace scenario {

namespace fs = std::filesystem;

bool RealFileSystem::DirectoryExists(const std::string& path) {
  std::error_code error;
  return fs::is_directory(SystemPath(path), error);
}

Status RealFileSystem::MakeDirectory(const std::string& path) {
  const fs::path directory = SystemPath(path);
  std::error_code error;
  if (fs::is_directory(directory, error)) return Status::Ok();
  fs::create_directories(directory, error);
  if (error) return Status::Error("create the directory", error);
  if (!fs::is_directory(directory, error))
    return Status::Error("create the directory", StatusCode::InTheWay, "a file of that name is in the way");
  return Status::Ok();
}

Status RealFileSystem::ListDirectory(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  std::error_code error;
  fs::directory_iterator entries(SystemPath(path), error);
  if (error) return Status::Error("list", error);
  for (fs::directory_iterator end; entries != end; entries.increment(error)) {
    if (error) return Status::Error("list", error);
    std::error_code kind_error;
    if (entries->is_regular_file(kind_error)) names->push_back(SystemName(entries->path().filename()));
  }
  if (error) return Status::Error("list", error);
  std::sort(names->begin(), names->end());
  return Status::Ok();
}

bool RealFileSystem::SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  const bool same = fs::equivalent(SystemPath(a), SystemPath(b), error);
  if (!error) return same;
  const fs::path first = fs::absolute(SystemPath(a), error).lexically_normal();
  const fs::path second = fs::absolute(SystemPath(b), error).lexically_normal();
  return first == second;
}

}  // namespace scenario
