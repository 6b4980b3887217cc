// The one list of stored fields: every field of a record or cell is in it
// once, read from its own member, under its own name.
#include "tools/readback/stored_fields.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace scenario::tool {
namespace {

// The names of the table's fields whose values differ between a and b.
template <typename Record, typename Fields>
std::vector<std::string> Differing(const Record& a, const Record& b, const Fields& fields) {
  std::vector<std::string> names;
  for (const auto& field : fields)
    if (field.value(a) != field.value(b)) names.push_back(field.name);
  return names;
}

TEST(StoredFields, EachMemberOfACellIsOneFieldOfItsName) {
  const std::vector<std::pair<std::string, std::function<void(rec_cella&)>>> members = {
      {"tipo_cella", [](rec_cella& c) { c.tipo_cella = 7; }},
      {"valore_1", [](rec_cella& c) { c.valore_1 = 7; }},
      {"valore_2", [](rec_cella& c) { c.valore_2 = 7; }},
      {"valore_3", [](rec_cella& c) { c.valore_3 = 7; }},
      {"valore_4", [](rec_cella& c) { c.valore_4 = 7; }},
      {"tempo_segnale", [](rec_cella& c) { c.tempo_segnale = 7; }},
      {"avviso", [](rec_cella& c) { c.avviso = 7; }},
      {"montagna", [](rec_cella& c) { c.montagna = 7; }},
      {"velocita_limite", [](rec_cella& c) { c.velocita_limite = 7; }},
      {"pendenza", [](rec_cella& c) { c.pendenza = 7; }},
      {"aderenza", [](rec_cella& c) { c.aderenza = 7; }},
  };
  ASSERT_EQ(CellFields().size(), members.size());
  for (size_t i = 0; i < members.size(); ++i) {
    SCOPED_TRACE(members[i].first);
    EXPECT_EQ(CellFields()[i].name, members[i].first) << "the fields stand in the order of the file";
    rec_cella changed;
    members[i].second(changed);
    EXPECT_EQ(Differing(rec_cella{}, changed, CellFields()), std::vector<std::string>{members[i].first});
  }
  // The values authors write beside the stored ones.
  rec_cella cell;
  cell.velocita_limite = 22;
  cell.pendenza = 97;
  std::vector<std::string> author_names;
  for (const CellField& field : CellFields()) {
    if (!field.author_name) continue;
    author_names.push_back(field.author_name);
    EXPECT_EQ(field.author_value(cell), std::string(field.name) == "velocita_limite" ? 110 : -3);
  }
  EXPECT_EQ(author_names, (std::vector<std::string>{"velocita_limite_kmh", "pendenza_per_mille"}));
}

TEST(StoredFields, EachMemberOfAStationRecordIsOneFieldOfItsName) {
  const std::vector<std::pair<std::string, std::function<void(rec_stazione&)>>> members = {
      {"tipo_stazione", [](rec_stazione& r) { r.tipo_stazione = 7; }},
      {"inizio_zona", [](rec_stazione& r) { r.inizio_zona = 7; }},
      {"fine_zona", [](rec_stazione& r) { r.fine_zona = 7; }},
      {"progressiva", [](rec_stazione& r) { r.progressiva = 7; }},
      {"par_1", [](rec_stazione& r) { r.par_1 = 7; }},
      {"nome", [](rec_stazione& r) { r.nome = "LAGO"; }},
      {"par_4", [](rec_stazione& r) { r.par_4 = 7; }},
      {"par_5", [](rec_stazione& r) { r.par_5 = 7; }},
      {"par_7", [](rec_stazione& r) { r.par_7 = 7; }},
      {"par_8", [](rec_stazione& r) { r.par_8 = 7; }},
      {"par_9", [](rec_stazione& r) { r.par_9 = 7; }},
      {"par_6", [](rec_stazione& r) { r.par_6 = 7; }},
      {"sosta", [](rec_stazione& r) { r.sosta = 7; }},
      {"par_3", [](rec_stazione& r) { r.par_3 = 7; }},
      {"par_2", [](rec_stazione& r) { r.par_2 = 7; }},
      {"orario", [](rec_stazione& r) { r.orario = 7; }},
  };
  ASSERT_EQ(StationFields().size(), members.size());
  for (size_t i = 0; i < members.size(); ++i) {
    SCOPED_TRACE(members[i].first);
    EXPECT_EQ(StationFields()[i].name, members[i].first) << "the fields stand in the order of the file";
    rec_stazione changed;
    members[i].second(changed);
    EXPECT_EQ(Differing(rec_stazione{}, changed, StationFields()), std::vector<std::string>{members[i].first});
    EXPECT_EQ(StoredValue(changed, members[i].first), StationFields()[i].value(changed));
  }
  EXPECT_EQ(StoredValue(rec_stazione{}, "par_10"), std::nullopt);
}

}  // namespace
}  // namespace scenario::tool
