// Stored values read back in the author's units: the conversions at their
// edges, and the items of the cells and records named as the sources name
// them.
#include "tools/readback/author_units.h"

#include <gtest/gtest.h>

namespace scenario::tool {
namespace {

TEST(AuthorUnits, StoredBytesAreShownAsTheAuthorWritesThem) {
  struct Case {
    uint8_t stored;
    int kmh;
    int per_mille;
  };
  for (const Case& c : {Case{0, 0, -100}, Case{6, 30, -94}, Case{40, 200, -60}, Case{94, 470, -6},
                        Case{100, 500, 0}, Case{112, 560, 12}, Case{255, 1275, 155}}) {
    SCOPED_TRACE(int{c.stored});
    EXPECT_EQ(SpeedKmh(c.stored), c.kmh);
    EXPECT_EQ(GradientPerMille(c.stored), c.per_mille);
  }
}

TEST(AuthorUnits, TimesAreHoursMinutesSeconds) {
  struct Case {
    int32_t orario;
    std::array<int32_t, 3> shown;
  };
  for (const Case& c : {Case{0, {0, 0, 0}}, Case{29580, {8, 13, 0}}, Case{86399, {23, 59, 59}},
                        Case{90061, {25, 1, 1}}}) {
    SCOPED_TRACE(c.orario);
    EXPECT_EQ(TimeOfDay(c.orario), c.shown);
  }
}

// The value of `name` under `keyword`; fails the test when there is none.
FieldValue Find(const std::vector<AuthorValue>& values, const std::string& keyword,
                                        const std::string& name) {
  for (const AuthorValue& value : values)
    if (value.keyword == keyword && value.name == name) return value.value;
  ADD_FAILURE() << "no " << keyword << " " << name;
  return int64_t{-999999};
}

TEST(AuthorUnits, CellsAreReadAsTheLinesThatWroteThem) {
  struct Case {
    const char* what;
    int64_t cell;
    rec_cella content;
    const char* keyword;
    const char* name;
    FieldValue shown;
  };
  const std::vector<Case> cases = {
      {"a signal's position is where its cell begins", 48, {.tipo_cella = tipo::segnale, .valore_4 = 6}, "segnale",
       "posizione", int64_t{2350}},
      {"sx from valore_4 = rapp x 10 + sx x 3 + dx", 48, {.tipo_cella = tipo::segnale, .valore_4 = 14}, "segnale",
       "sx", int64_t{1}},
      {"rapp from valore_4", 48, {.tipo_cella = tipo::segnale, .valore_4 = 14}, "segnale", "rapp", int64_t{1}},
      {"dx from valore_4", 48, {.tipo_cella = tipo::segnale, .valore_4 = 14}, "segnale", "dx", int64_t{1}},
      {"a kept time means sx 2", 48,
       {.tipo_cella = tipo::segnale, .valore_4 = 8, .tempo_segnale = 101}, "segnale", "dx", int64_t{2}},
      {"d1 from valore_1", 48, {.tipo_cella = tipo::segnale, .valore_1 = 43}, "segnale", "d1", int64_t{3}},
      {"a code change's cell begins 50 m before its position", 480,
       {.tipo_cella = tipo::cambio_codice, .valore_1 = 180}, "abbattimento", "position", int64_t{24000}},
      {"a code change without a code", 480, {.tipo_cella = tipo::cambio_codice_abbattimento}, "abbattimento", "code",
       int64_t{0}},
      {"an indicator's first speed", 58, {.tipo_cella = tipo::indicatore_v_max, .valore_1 = 1912}, "indicatori_vmax",
       "vas", int64_t{95}},
      {"an indicator's second set", 58, {.tipo_cella = tipo::indicatore_v_max, .valore_1 = 1912}, "indicatori_vmax",
       "vad", int64_t{60}},
      {"an indicator's stripes", 58, {.tipo_cella = tipo::indicatore_v_max, .valore_4 = 21}, "indicatori_vmax",
       "strisced", int64_t{1}},
      {"a warning board stands 1200 m before its slowdown", 414,
       {.tipo_cella = tipo::avviso_rallentamento, .valore_1 = 30}, "rallentamento", "x", int64_t{21850}},
      {"a slowdown's speed", 438, {.tipo_cella = tipo::inizio_rallentamento, .valore_1 = 30}, "rallentamento", "v",
       int64_t{30}},
      {"a station's approach mark", 12, {.avviso = 81}, "approach mark of a stazione", "mark", int64_t{1}},
      {"a signal's approach mark", 46, {.avviso = 64}, "approach mark of a segnale", "mark", int64_t{4}},
      {"the signal it belongs to", 46, {.avviso = 64}, "approach mark of a segnale", "sx times 3 plus dx", int64_t{6}},
      {"a mark of no known kind", 46, {.avviso = 255}, "approach mark", "avviso", int64_t{255}},
      {"the cell before the route", 0, {.tipo_cella = tipo::cartello, .valore_1 = 80}, "cartello_indicatore",
       "position", int64_t{-50}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Find(CellInSources(c.cell, c.content), c.keyword, c.name), c.shown);
  }
  EXPECT_TRUE(CellInSources(5, rec_cella{.velocita_limite = 40}).empty());
}

TEST(AuthorUnits, StationLengthsFollowTheKindsZones) {
  struct Case {
    uint8_t kind;
    int32_t inizio, fine, position;
    int64_t length;
  };
  // 5 and 6 reach back the length and 150 m ahead; 7 and 8 the length both
  // ways; the others half of it each way.
  for (const Case& c : {Case{5, 600, 1350, 1200, 600}, Case{8, -700, 700, 0, 700}, Case{12, 7150, 7550, 7350, 400},
                        Case{255, 900, 1100, 1000, 200}, Case{0, 1000, 1000, 1000, 0}}) {
    SCOPED_TRACE(int{c.kind});
    const rec_stazione record{.tipo_stazione = c.kind, .inizio_zona = c.inizio, .fine_zona = c.fine,
                              .progressiva = c.position, .nome = ""};
    EXPECT_EQ(Find(RecordInSources(RecordRole::Station, record), "stazione", "length"),
              (FieldValue(c.length)));
  }
}

TEST(AuthorUnits, ParValuesComeInTheOrderOfTheirNumbers) {
  const rec_stazione record{.par_1 = 1, .nome = "", .par_4 = 4, .par_5 = 5, .par_7 = 7, .par_8 = 8, .par_9 = -9, .par_6 = 6,
                            .par_3 = 3, .par_2 = 2};
  EXPECT_EQ(ParValues(record), (std::array<int64_t, 9>{1, 2, 3, 4, 5, 6, 7, 8, -9}));
  const std::vector<AuthorValue> values = RecordInSources(RecordRole::Station, record);
  ASSERT_EQ(values.size(), 17u);
  for (size_t n = 0; n < values.size(); ++n) EXPECT_EQ(values[n].column, static_cast<int>(n) + 1);
  EXPECT_EQ(values[3].name, "par_1");
  EXPECT_EQ(values[11].name, "par_9");
}

AuthorValue Named(const std::string& name, int64_t value, const std::string& unit) {
  AuthorValue named;
  named.name = name;
  named.value = value;
  named.unit = unit;
  return named;
}

TEST(AuthorUnits, AValueIsGivenByTheKeywordItIsNamedBy) {
  struct Case {
    const char* value_keyword;
    const KeywordSpec* spec;
    bool gives;
  };
  const Case cases[] = {
      {"segnale", &keyword::kSegnale, true},
      {"approach mark of a segnale", &keyword::kSegnale, true},  // a mark is its item's
      {"approach mark of a segnale", &keyword::kStazione, false},
      {"ripetizione segnali", &keyword::kRipetizioneSegnali, true},  // whatever its number of codes
      {"progressiva chilometrica", &keyword::kProgressivaUno, true},
      {"sfondo uno", &keyword::kSfondoDue, false},
      {"approach mark", &keyword::kSegnale, false},  // a mark of no known item
      {"compactor", &keyword::kStazione, false},
      {"", &keyword::kStazione, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.value_keyword) + " / " + c.spec->keyword);
    AuthorValue value;
    value.keyword = c.value_keyword;
    EXPECT_EQ(KeywordGives(*c.spec, value), c.gives);
  }
}

TEST(AuthorUnits, JsonKeysCarryTheUnit) {
  EXPECT_EQ(AuthorKey(Named("route length", 0, "m")), "route_length_m");
  EXPECT_EQ(AuthorKey(Named("v", 0, "km/h")), "v_kmh");
  EXPECT_EQ(AuthorKey(Named("braked mass", 0, "%")), "braked_mass_percent");
  EXPECT_EQ(AuthorKey(Named("sx times 3 plus dx", 0, "")), "sx_times_3_plus_dx");
  EXPECT_EQ(AuthorKey(Named("hours", 0, "h")), "hours");
  EXPECT_EQ(AuthorText(Named("v", 30, "km/h")), "v 30 km/h");
  EXPECT_EQ(AuthorText(Named("kind", 8, "")), "kind 8");
  AuthorValue name = Named("name", 0, "");
  name.value = std::string("CITT\xC0\r");  // a Windows-1252 letter and a control character
  EXPECT_EQ(ShownValue(name), "CITT\xC3\x80\\x0D");
}

}  // namespace
}  // namespace scenario::tool
