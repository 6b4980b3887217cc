#include "tools/lsp/uri.h"

#include <cctype>
#include <exception>
#include <filesystem>

#include "platform/system/system_path.h"

namespace scenario::lsp {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDrive(const std::string& path, size_t at) {
  return path.size() >= at + 2 && std::isalpha(static_cast<unsigned char>(path[at])) && path[at + 1] == ':';
}

}  // namespace

std::optional<std::string> PathOfUri(const std::string& uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size()) return std::nullopt;
  for (size_t k = 0; k < kScheme.size(); ++k)
    if (std::tolower(static_cast<unsigned char>(uri[k])) != kScheme[k]) return std::nullopt;
  std::string rest = uri.substr(kScheme.size());
  // An authority other than the local host is no file of ours.
  const size_t slash = rest.find('/');
  if (slash == std::string::npos) return std::nullopt;
  const std::string authority = rest.substr(0, slash);
  if (!authority.empty() && authority != "localhost") return std::nullopt;
  rest = rest.substr(slash);
  std::string path;
  for (size_t k = 0; k < rest.size(); ++k) {
    if (rest[k] == '%' && k + 2 < rest.size()) {
      const int high = HexValue(rest[k + 1]);
      const int low = HexValue(rest[k + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      const char byte = static_cast<char>(high * 16 + low);
      if (byte == '\0') return std::nullopt;
      path.push_back(byte);
      k += 2;
    } else if (rest[k] == '%') {
      return std::nullopt;
    } else {
      path.push_back(rest[k]);
    }
  }
  // "/c:/x" is the Windows path "c:/x".
  if (path.size() >= 3 && path[0] == '/' && IsDrive(path, 1)) path.erase(0, 1);
  return path;
}

std::string UriOfPath(const std::string& path) {
  static const char* const kHex = "0123456789ABCDEF";
  std::string uri = "file://";
  if (IsDrive(path, 0)) uri.push_back('/');
  for (const char c : path) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~' || c == ':') {
      uri.push_back(c);
    } else if (c == '\\') {
      uri.push_back('/');
    } else {
      uri.push_back('%');
      uri.push_back(kHex[byte >> 4]);
      uri.push_back(kHex[byte & 15]);
    }
  }
  return uri;
}

std::optional<std::string> FileNameOfUri(const std::string& uri) {
  const std::optional<std::string> utf8 = PathOfUri(uri);
  if (!utf8) return std::nullopt;
  try {
    const std::u8string characters(utf8->begin(), utf8->end());
    return SystemName(std::filesystem::path(characters));
  } catch (const std::exception&) {
    // Bytes that are no UTF-8 name no file.
    return std::nullopt;
  }
}

std::string UriOfFileName(const std::string& name) {
  try {
    const std::u8string characters = SystemPath(name).u8string();
    return UriOfPath(std::string(characters.begin(), characters.end()));
  } catch (const std::exception&) {
    return UriOfPath(name);
  }
}

}  // namespace scenario::lsp
