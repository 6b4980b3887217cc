#include "compiler/check_codes.h"

namespace scenario {

namespace {

constexpr std::string_view kFill = "aabbccddeeffgghhiillmmnnoo";
constexpr size_t kCodedCharacters = 25;

// Lower case of one byte of the single-byte character set: 'A'..'Z' and the
// accented capitals 0xC0..0xDE (but the multiplication sign 0xD7).
unsigned char LowerCase(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  return c;
}

std::string CodedText(const ScenarioModel& model) {
  return testo_codice(model.stazioni[kRecordTreno].nome, model.stazioni[kRecordScenario].nome);
}

}  // namespace

std::string testo_codice(std::string_view numero_treno, std::string_view nome_linea) {
  std::string text;
  text.reserve(numero_treno.size() + nome_linea.size() + kFill.size());
  for (char c : numero_treno) text.push_back(static_cast<char>(LowerCase(static_cast<unsigned char>(c))));
  for (char c : nome_linea) text.push_back(static_cast<char>(LowerCase(static_cast<unsigned char>(c))));
  text += kFill;
  return text;
}

int32_t codice_gara_og(const ScenarioModel& model) {
  const std::string text = CodedText(model);
  int32_t sum = 0;
  for (size_t n = 0; n < kCodedCharacters; ++n) sum += static_cast<unsigned char>(text[n]);
  return sum;
}

int32_t codice_gara_st(const ScenarioModel& model) {
  const std::string text = CodedText(model);
  int32_t sum = 0;
  for (size_t n = 0; n < kCodedCharacters; ++n)
    sum += static_cast<unsigned char>(text[n]) * static_cast<int32_t>(n + 1);
  return sum;
}

}  // namespace scenario
