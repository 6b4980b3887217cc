#include "compiler/check_codes.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

ScenarioModel Named(std::string numero_treno, std::string nome_linea) {
  ScenarioModel model;
  model.stazioni[kRecordTreno].nome = std::move(numero_treno);
  model.stazioni[kRecordScenario].nome = std::move(nome_linea);
  return model;
}

struct CodeCase {
  std::string numero_treno;
  std::string nome_linea;
  std::string first_25;
  int32_t og;
  int32_t st;
};

TEST(CheckCodes, WorkedExamples) {
  const CodeCase cases[] = {
      {"1", "AB", "1abaabbccddeeffgghhiillmm", 2496, 33703},
      {"abc", "", "abcaabbccddeeffgghhiillmm", 2546, 33756},
      {"31613", "Calvisio -Sambreta", "31613calvisio -sambretaaa", 2230, 31352},
      {"", "", "aabbccddeeffgghhiillmmnno", 2583, 34355},
  };
  for (const CodeCase& c : cases) {
    SCOPED_TRACE(c.numero_treno + "|" + c.nome_linea);
    EXPECT_EQ(testo_codice(c.numero_treno, c.nome_linea).substr(0, 25), c.first_25);
    ScenarioModel model = Named(c.numero_treno, c.nome_linea);
    EXPECT_EQ(codice_gara_og(model), c.og);
    EXPECT_EQ(codice_gara_st(model), c.st);
  }
}

TEST(CheckCodes, LetterCaseDoesNotChangeTheCodes) {
  ScenarioModel upper = Named("31613", "CALVISIO -SAMBRETA");
  ScenarioModel mixed = Named("31613", "cAlViSiO -sambreta");
  EXPECT_EQ(codice_gara_og(upper), 2230);
  EXPECT_EQ(codice_gara_st(upper), 31352);
  EXPECT_EQ(codice_gara_og(mixed), 2230);
  EXPECT_EQ(codice_gara_st(mixed), 31352);
}

TEST(CheckCodes, AccentedCapitalsAreLoweredButNotTheMultiplicationSign) {
  // 0xC0 (A grave) lowers to 0xE0; 0xD7 stays; 0xDF is past the capitals.
  std::string text = testo_codice(std::string("\xC0\xD7\xDE\xDF", 4), "");
  EXPECT_EQ(text.substr(0, 4), std::string("\xE0\xD7\xFE\xDF", 4));
  // Codes count bytes as 0..255, never negative.
  ScenarioModel model = Named(std::string(25, '\xFF'), "");
  EXPECT_EQ(codice_gara_og(model), 25 * 255);
  EXPECT_EQ(codice_gara_st(model), 255 * (25 * 26 / 2));
}

TEST(CheckCodes, OnlyTheFirst25CharactersCount) {
  // 12 + 13 characters: the fill plays no part.
  ScenarioModel base = Named("123456789012", "abcdefghijklm");
  ScenarioModel longer = Named("123456789012", "abcdefghijklmXYZ and more");
  EXPECT_EQ(codice_gara_og(base), codice_gara_og(longer));
  EXPECT_EQ(codice_gara_st(base), codice_gara_st(longer));
  ScenarioModel changed = Named("123456789012", "abcdefghijklX");
  EXPECT_NE(codice_gara_og(base), codice_gara_og(changed));
}

}  // namespace
}  // namespace scenario
