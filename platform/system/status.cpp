#include "platform/system/status.h"

namespace scenario {

StatusCode CodeOf(std::error_code error) {
  if (!error) return StatusCode::Ok;
  if (error == std::errc::no_such_file_or_directory) return StatusCode::NotFound;
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
    return StatusCode::PermissionDenied;
  if (error == std::errc::read_only_file_system) return StatusCode::ReadOnly;
  if (error == std::errc::text_file_busy) return StatusCode::InUse;
  if (error == std::errc::no_space_on_device) return StatusCode::NoSpace;
  if (error == std::errc::file_too_large) return StatusCode::TooLarge;
  if (error == std::errc::not_a_directory || error == std::errc::is_a_directory ||
      error == std::errc::file_exists || error == std::errc::directory_not_empty)
    return StatusCode::InTheWay;
  return StatusCode::IoError;
}

SystemFailure::SystemFailure(std::string operation, std::string file, std::string reason)
    : std::runtime_error("cannot " + operation + " '" + file + "': " + reason),
      operation_(std::move(operation)),
      file_(std::move(file)),
      reason_(std::move(reason)) {}

void RequireOk(const Status& status, std::string_view file_name) {
  if (!status.ok()) throw SystemFailure(status.operation(), std::string(file_name), status.reason());
}

}  // namespace scenario
