// Telling a good compiled file from a cut or foreign one by its content.
#include "tools/readback/compiled_scenario.h"

#include <gtest/gtest.h>

namespace scenario::tool {
namespace {

std::vector<PuntoTracciato> Plan(const std::string& shape) {
  // One letter a point, both columns alike: I Integer, D Double, E Empty.
  std::vector<PuntoTracciato> plan;
  for (char c : shape) {
    TaggedValue value = c == 'I' ? TaggedValue::Integer(1) : c == 'D' ? TaggedValue::Double(2.5) : TaggedValue{};
    plan.push_back({value, value});
  }
  return plan;
}

TEST(PlanCheck, ThePlansThatAReadingLeavesAreGoodAndNoOther) {
  struct Case {
    const char* shape;
    bool good;
  };
  const Case cases[] = {
      {"IIDDDDEE", true},   // read to its end
      {"IIDEEEEE", true},   // the reading stopped in a curve: the rest never computed
      {"EEEEEEEE", true},   // allocated, never seeded
      {"IIEE", true},
      {"IIDDDDDE", false},  // only one Empty point at the end
      {"IIDDDDDD", false},
      {"IDDDDDEE", false},  // the seed cut
      {"DDDDDDEE", false},
      {"IIDDEDEE", false},  // a value after the Empty tail began
      {"E", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape);
    EXPECT_EQ(!PlanProblem(Plan(c.shape)).has_value(), c.good);
  }
  std::vector<PuntoTracciato> mixed = Plan("IIDDEE");
  mixed[3][1] = TaggedValue{};
  ASSERT_TRUE(PlanProblem(mixed).has_value());
  EXPECT_EQ(*PlanProblem(mixed), "point 3 is Double in column 0 but Empty in column 1; the two columns of a plan "
                                 "are computed together");
}

TEST(RouteCheck, TheCellCountFollowsTheRouteLengthRoundedHalfToEven) {
  EXPECT_EQ(CellCountForRoute(99000), 2121);
  EXPECT_EQ(CellCountForRoute(25), 141);  // 140.5 rounds to 140
  EXPECT_EQ(CellCountForRoute(75), 143);  // 141.5 rounds to 142
  std::vector<rec_stazione> stazioni(kNumeroStazioni);
  stazioni[kRecordDatiGenerali].fine_zona = 25;
  EXPECT_FALSE(RouteMismatch(stazioni, std::vector<rec_cella>(141)).has_value());
  EXPECT_TRUE(RouteMismatch(stazioni, std::vector<rec_cella>(142)).has_value());
}

TEST(KindOfFile, TheNameTellsTheKind) {
  EXPECT_EQ(CompiledFileKindOf("d/Calvisio -Sambreta_linea.dat"), CompiledFileKind::Line);
  EXPECT_EQ(CompiledFileKindOf("Calvisio -Sambreta_31613.sim"), CompiledFileKind::Station);
  EXPECT_EQ(CompiledFileKindOf("Calvisio -Sambreta_31613.dat"), CompiledFileKind::Cell);
  EXPECT_EQ(CompiledFileKindOf("linea.dat/x.txt"), std::nullopt);
}

TEST(KindOfFile, CapitalsTellTheKindWhereTheSystemIgnoresCase) {
  struct Case {
    const char* path;
    std::optional<CompiledFileKind> ignoring_case;
    std::optional<CompiledFileKind> minding_case;
  };
  const Case cases[] = {
      {"VALLE_LINEA.DAT", CompiledFileKind::Line, std::nullopt},
      {"Valle_Linea.dat", CompiledFileKind::Line, CompiledFileKind::Cell},
      {"VALLE_42.SIM", CompiledFileKind::Station, std::nullopt},
      {"Valle_42.Dat", CompiledFileKind::Cell, std::nullopt},
      {"Valle_42.sim", CompiledFileKind::Station, CompiledFileKind::Station},
      {"VALLE_42.TXT", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(CompiledFileKindOf(c.path, true), c.ignoring_case);
    EXPECT_EQ(CompiledFileKindOf(c.path, false), c.minding_case);
  }
}

}  // namespace
}  // namespace scenario::tool
