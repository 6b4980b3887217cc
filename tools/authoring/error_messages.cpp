#include "tools/authoring/error_messages.h"

namespace scenario::tool {

std::string ErrorText(int32_t numero) {
  if (numero == 0) return "no error";
  if (const ErrorNumber* entry = FindErrorNumber(numero)) return entry->text;
  return "an error number the compiler does not record";
}

bool HasPosition(int32_t numero) {
  const ErrorNumber* entry = FindErrorNumber(numero);
  return entry != nullptr && entry->has_position;
}

ErrorSource SourceOf(int32_t numero) {
  const ErrorNumber* entry = FindErrorNumber(numero);
  return entry != nullptr ? entry->source : ErrorSource::Unknown;
}

}  // namespace scenario::tool
