// The system under the programs: the outcome of an operation, the program's
// directory, paths, the command line, Win32 helpers.
//
// The outcome of an operation of the system, and the failure that ends a
// run: what every side of the platform layer reports in, whatever the system.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace scenario {

// What kind of failure a file operation met, whatever the system calls it.
enum class StatusCode {
  Ok,
  NotFound,          // no such file or directory
  PermissionDenied,  // not allowed to the user
  ReadOnly,          // the file system is read-only
  NoSpace,           // the disk or the user's quota is full
  TooLarge,          // past the largest file allowed (e.g. a file size limit)
  InTheWay,          // a file stands where a directory is wanted, or the other way round
  HeldElsewhere,     // another run holds the directory's lock for longer than the wait
  InUse,             // another program holds the file open and will not let it be replaced
  Refused,           // refused by the program itself, not by the system
  IoError,           // anything else the system reports
};

// The kind of a system error.
StatusCode CodeOf(std::error_code error);

// The outcome of one file operation. On failure it names the operation that
// failed ("create", "write", "rename", "replace", "read", "delete", "list",
// "create the directory", "lock the directory", "flush the directory"), the
// kind of failure, and the reason as the system words it ("Read-only file
// system") or, where the system's words would mislead, as the program words
// it; that reason is what a user is shown.
class Status {
 public:
  static Status Ok() { return Status(); }
  static Status Error(std::string operation, StatusCode code, std::string reason) {
    Status status;
    status.code_ = code == StatusCode::Ok ? StatusCode::IoError : code;
    status.operation_ = std::move(operation);
    status.reason_ = std::move(reason);
    return status;
  }
  // A failure the system reported as `error`.
  static Status Error(std::string operation, std::error_code error) {
    return Error(std::move(operation), CodeOf(error), error.message());
  }
  bool ok() const { return code_ == StatusCode::Ok; }
  StatusCode code() const { return code_; }
  const std::string& operation() const { return operation_; }
  const std::string& reason() const { return reason_; }

 private:
  StatusCode code_ = StatusCode::Ok;
  std::string operation_;
  std::string reason_;
};

// A failure of the system itself: a file that could not be created, written,
// renamed, read or deleted. It ends the run.
class SystemFailure : public std::runtime_error {
 public:
  SystemFailure(std::string operation, std::string file, std::string reason);
  const std::string& operation() const { return operation_; }
  const std::string& file() const { return file_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string operation_;
  std::string file_;
  std::string reason_;
};

// Throws SystemFailure naming `file_name` when `status` is a failure.
void RequireOk(const Status& status, std::string_view file_name);

}  // namespace scenario
