#include "tools/lsp/report_diagnostics.h"

#include <utility>

#include "encoding/text_encoding.h"
#include "tools/authoring/report_words.h"

namespace scenario::lsp {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

SourceText::SourceText(std::string path, std::string utf8_text, std::string compiled_bytes, bool is_open,
                       bool is_real)
    : path(std::move(path)),
      utf8(std::move(utf8_text)),
      bytes(std::move(compiled_bytes)),
      open(is_open),
      real(is_real),
      utf8_lines(utf8),
      byte_lines(bytes) {}

TextRange SourceText::FieldRange(int line, int column) const {
  if (line <= 0) return LineRange(0);
  const std::string_view bytes_line = byte_lines.Line(bytes, line - 1);
  size_t start = column > 0 ? static_cast<size_t>(column - 1) : 0;
  while (start < bytes_line.size() && IsBlank(bytes_line[start])) ++start;
  size_t end = 0;
  if (start >= bytes_line.size()) {
    // Past the line's end (a line cut short): its last character.
    end = bytes_line.size();
    start = end > 0 ? end - 1 : 0;
  } else if (bytes_line[start] == '"') {
    const size_t quote = bytes_line.find('"', start + 1);
    end = quote == std::string_view::npos ? bytes_line.size() : quote + 1;
  } else {
    const size_t comma = bytes_line.find(',', start);
    end = comma == std::string_view::npos ? bytes_line.size() : comma;
    while (end > start + 1 && IsBlank(bytes_line[end - 1])) --end;
    if (end == start) end = start + 1;
  }
  return {PositionOfCharacter(utf8, utf8_lines, line - 1, static_cast<int>(start)),
          PositionOfCharacter(utf8, utf8_lines, line - 1, static_cast<int>(end))};
}

TextFix SourceText::FixOf(const tool::SourceFix& fix) const {
  TextRange range = FieldRange(fix.place.line, fix.place.column);
  if (fix.reach == EditReach::LineEnd) {
    const std::string_view bytes_line = byte_lines.Line(bytes, fix.place.line - 1);
    size_t end = bytes_line.size();
    while (end > 0 && IsBlank(bytes_line[end - 1])) --end;
    range.end = PositionOfCharacter(utf8, utf8_lines, fix.place.line - 1, static_cast<int>(end));
  }
  return {fix.title, range, fix.replacement};
}

std::vector<TextFix> SourceText::FixesOf(const std::optional<tool::SourceFix>& fix) const {
  if (!fix || fix->place.file != path) return {};
  return {FixOf(*fix)};
}

TextRange SourceText::LineRange(int line) const {
  const int length = static_cast<int>(byte_lines.Line(bytes, line).size());
  return {PositionOfCharacter(utf8, utf8_lines, line, 0), PositionOfCharacter(utf8, utf8_lines, line, length)};
}

std::optional<SourceDiagnostic> UncompiledFile(const std::string& path, SourceRole role, const SourcePair& pair,
                                               const std::string& utf8_text) {
  const LineTable lines(utf8_text);
  const TextRange first_line{{0, 0}, PositionOfCharacter(utf8_text, lines, 0, 1 << 30)};
  if (role == SourceRole::Other) {
    return SourceDiagnostic{first_line, Severity::Information, std::string("pairing"),
                            "'" + FileNameOf(path) +
                                "' is named neither as a line description (NAME_linea.txt) nor as a train "
                                "service (NAME_NUMBER-.txt), so it is not compiled: rename it",
                            {}, {}};
  }
  if (pair.line_name.empty()) {
    return SourceDiagnostic{first_line, Severity::Error, std::string("pairing"),
                            "cannot tell the line name: '" + FileNameOf(path) +
                                "' does not follow the pattern NAME_NUMBER-.txt (the line name, '_', the "
                                "train number, '-.txt'), so the line description cannot be found: rename it",
                            {}, {}};
  }
  return std::nullopt;
}

std::vector<SourceDiagnostic> MissingPartners(const SourcePair& pair, const SourceText& edited) {
  std::vector<SourceDiagnostic> diagnostics;
  if (!pair.line_found) {
    diagnostics.push_back(
        {edited.LineRange(0), Severity::Information, std::string("pairing"),
         "no line description '" + FileNameOf(pair.line_path) + "' was found beside this file (looked for '" +
             pair.line_path +
             "'): the train service is checked without it, on a line of 1000000 m with nothing placed on it and "
             "without the plan of the track, so no position is checked against the real line",
         {}, {}});
  }
  if (!pair.train_found) {
    diagnostics.push_back({edited.LineRange(0), Severity::Information, std::string("pairing"),
                           "no train service '" + pair.line_name +
                               "_NUMBER-.txt' was found beside this file: the line description is checked with "
                               "an empty train service",
                           {}, {}});
  }
  return diagnostics;
}

std::vector<SourceDiagnostic> UnencodableCharacters(const SourceText& edited) {
  std::vector<SourceDiagnostic> diagnostics;
  for (const UnencodableCharacter& character : edited.unencodable) {
    const TextPosition start =
        PositionOfCharacter(edited.utf8, edited.utf8_lines, character.line, character.column);
    const TextPosition end =
        PositionOfCharacter(edited.utf8, edited.utf8_lines, character.line, character.column + 1);
    diagnostics.push_back(
        {{start, end},
         Severity::Error,
         std::string("encoding"),
         "the character " + CodePointName(character.code) +
             " cannot be written in Windows-1252, the character set the simulator reads the sources in, so the "
             "file cannot be saved as the simulator reads it: write another character (the compile reads a '?' "
             "in its place)",
         {}, {}});
  }
  return diagnostics;
}

SourceDiagnostic RefusedCompile(const SourceText& edited, const std::string& why) {
  return {edited.LineRange(0), Severity::Error, std::string("refused"), MessageToUtf8(why), {}, {}};
}

void PlaceReport(const tool::CompileReport& report, const SourceText& edited, const SourceText& partner,
                 std::vector<SourceDiagnostic>* in_edited, std::vector<SourceDiagnostic>* in_partner) {
  // The diagnostics of the file a place names; nothing for a stand-in.
  const auto place = [&](const tool::SourcePlace& at) -> std::pair<const SourceText*, std::vector<SourceDiagnostic>*> {
    if (at.file == partner.path) {
      if (!partner.real) return {nullptr, nullptr};
      return {&partner, in_partner};
    }
    return {&edited, in_edited};
  };
  const tool::ReportWords words = tool::WordsOf(report, false);
  for (const tool::ReportSentence& warning : words.warnings) {
    const auto [text, into] = place(*warning.place);
    if (!text) continue;
    into->push_back({text->FieldRange(warning.place->line, warning.place->column), Severity::Warning, warning.kind,
                     warning.text, {}, text->FixesOf(warning.fix)});
  }
  if (words.error) {
    const int32_t numero = words.error->numero;
    const std::string& message = words.error_alone;
    const tool::SourcePlace at = words.error->place.value_or(tool::SourcePlace{edited.path, 0, 0});
    const auto [text, into] = place(at);
    if (text) {
      const TextRange range = text->FieldRange(at.line, at.column);
      into->push_back({range, Severity::Error, numero, message, {}, text->FixesOf(words.error->fix)});
      if (text == &partner) {
        // Told in the edited file too, with its place.
        const std::string where = at.line > 0 ? ", line " + std::to_string(at.line) + ", column " +
                                                    std::to_string(at.column)
                                              : "";
        in_edited->push_back({edited.LineRange(0), Severity::Error, numero,
                              "in " + FileNameOf(partner.path) + where + ": " + message,
                              {{partner.path, range, message}}, {}});
      }
    }
  }
  for (const tool::ReportSentence& note : words.notes) {
    const auto [text, into] = place(*note.place);
    if (text)
      into->push_back({text->FieldRange(note.place->line, note.place->column), Severity::Information, note.numero,
                       note.text, {}, {}});
  }
}

}  // namespace scenario::lsp
