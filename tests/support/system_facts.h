// What tests of the platform layer compare with, or need, that each system
// has its own way of: the system's words for a missing file, another process
// of the machine, the environment.
#pragma once

#include <optional>
#include <string>

namespace scenario::testing_support {

// The system's own words for a file that is not there, and for a path whose
// directory is not there (the same on POSIX systems).
std::string MissingFileReason();
std::string MissingDirectoryReason();

// Another process of the machine, made for the test: it runs, doing nothing,
// until it is ended; then its number belongs to a process that has ended.
class OtherProcess {
 public:
  OtherProcess();
  ~OtherProcess();
  OtherProcess(const OtherProcess&) = delete;
  OtherProcess& operator=(const OtherProcess&) = delete;

  unsigned long number() const { return number_; }
  // Ends it and waits until it has ended.
  void End();

 private:
  unsigned long number_ = 0;
  void* handle_ = nullptr;  // the system's handle of it, where there is one
  bool ended_ = false;
};

// Sets (or, with nothing, removes) a variable of this process's environment.
void SetEnvironment(const std::string& name, const std::optional<std::string>& value);

}  // namespace scenario::testing_support
