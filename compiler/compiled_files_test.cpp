#include "compiler/compiled_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "compiler/coding.h"
#include "model/file_names.h"
#include "tests/support/fake_file_system.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;

std::array<rec_stazione, kNumeroStazioni> EmptyTable() { return {}; }

TEST(StationFile, EmptyTableIs87RecordsOf34ZeroBytes) {
  std::string bytes = EncodeStazioni(EmptyTable());
  ASSERT_EQ(bytes.size(), 87u * 34u);
  EXPECT_EQ(bytes, std::string(87 * 34, '\0'));
}

TEST(StationFile, RecordLayoutFieldByField) {
  auto table = EmptyTable();
  rec_stazione& r = table[1];
  r.tipo_stazione = 8;
  r.inizio_zona = -700;
  r.fine_zona = 700;
  r.progressiva = 0x01020304;
  r.par_1 = 1;
  r.nome = "CALVISIO P.N.";
  r.par_4 = 4;
  r.par_5 = -2;
  r.par_7 = 2;
  r.par_8 = 0x1234;
  r.par_9 = 1;
  r.par_6 = 0xAB;
  r.sosta = 1;
  r.par_3 = 3;
  r.par_2 = 2;
  r.orario = 29580;
  std::string bytes = EncodeStazioni(table);
  ASSERT_EQ(bytes.size(), 87u * 34u + 13u);
  const char* p = bytes.data() + 34;  // record 0 comes first
  EXPECT_EQ(DecodeByte(p), 8);
  EXPECT_EQ(DecodeLong(p + 1), -700);
  EXPECT_EQ(std::string(p + 1, 4), std::string("\x44\xFD\xFF\xFF", 4));  // little-endian
  EXPECT_EQ(DecodeLong(p + 5), 700);
  EXPECT_EQ(std::string(p + 9, 4), std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(DecodeByte(p + 13), 1);
  EXPECT_EQ(DecodeFixed16(p + 14), 13);
  EXPECT_EQ(std::string(p + 16, 13), "CALVISIO P.N.");
  const char* q = p + 16 + 13;
  EXPECT_EQ(DecodeInteger(q), 4);
  EXPECT_EQ(DecodeInteger(q + 2), -2);
  EXPECT_EQ(DecodeInteger(q + 4), 2);
  EXPECT_EQ(std::string(q + 6, 2), "\x34\x12");
  EXPECT_EQ(DecodeInteger(q + 8), 1);
  EXPECT_EQ(DecodeByte(q + 10), 0xAB);
  EXPECT_EQ(DecodeByte(q + 11), 1);
  EXPECT_EQ(DecodeByte(q + 12), 3);
  EXPECT_EQ(DecodeByte(q + 13), 2);
  EXPECT_EQ(DecodeLong(q + 14), 29580);
  // The record takes 47 bytes; record 2 follows at once, all zero.
  EXPECT_EQ(std::string(p + 47, 34), std::string(34, '\0'));

  std::vector<rec_stazione> decoded;
  std::string error;
  ASSERT_TRUE(DecodeStazioni(bytes, &decoded, &error)) << error;
  ASSERT_EQ(decoded.size(), 87u);
  EXPECT_EQ(decoded[1], r);
  EXPECT_EQ(decoded[0], rec_stazione{});
}

TEST(StationFile, NameLongerThanItsLengthFieldIsRefused) {
  auto table = EmptyTable();
  table[5].nome = std::string(65535, 'x');
  EXPECT_EQ(EncodeStazioni(table).size(), 87u * 34u + 65535u);
  table[5].nome.push_back('x');
  EXPECT_THROW(EncodeStazioni(table), std::length_error);
}

TEST(StationFile, DecoderRefusesCutAndForeignFiles) {
  auto table = EmptyTable();
  table[3].nome = "PRAGELLO";
  std::string bytes = EncodeStazioni(table);
  std::vector<rec_stazione> decoded;
  std::string error;
  struct Case {
    std::string bytes;
    std::string message_part;
  };
  const Case cases[] = {
      {bytes.substr(0, bytes.size() - 1), "cut short"},
      {bytes.substr(0, 34 * 4), "runs past the end"},
      {bytes.substr(0, 34 * 2), "holds 2 station records"},
      {bytes + std::string(34, '\0'), "more than 87"},
      {"", "holds 0 station records"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(DecodeStazioni(c.bytes, &decoded, &error));
    EXPECT_NE(error.find(c.message_part), std::string::npos) << error;
  }
}

TEST(CellFile, LayoutAndSizeOfTheBuiltInRoute) {
  std::vector<rec_cella> percorso(2121);
  rec_cella& c = percorso[1];
  c = {1, 5121, 2230, -3, 0x0706, 101, 61, 2, 40, 100, 255};
  std::string bytes = EncodePercorso(percorso);
  ASSERT_EQ(bytes.size(), 31815u);
  const char* p = bytes.data() + 15;
  EXPECT_EQ(std::string(p, 15),
            std::string("\x01\x01\x14\xB6\x08\xFD\xFF\x06\x07\x65\x3D\x02\x28\x64\xFF", 15));
  EXPECT_EQ(std::string(bytes.data(), 15), std::string(15, '\0'));

  std::vector<rec_cella> decoded;
  std::string error;
  ASSERT_TRUE(DecodePercorso(bytes, &decoded, &error)) << error;
  EXPECT_EQ(decoded, percorso);
  EXPECT_FALSE(DecodePercorso(bytes.substr(0, 31814), &decoded, &error));
  EXPECT_NE(error.find("15-byte"), std::string::npos);
}

// A plan of `points` points, seeded as the line reader seeds it, with
// `computed` points computed from metre 2.
Tracciato SeededPlan(size_t points, size_t computed) {
  Tracciato plan;
  plan.Alloca(points);
  plan.seme(0) = {TaggedValue::Integer(0), TaggedValue::Integer(0)};
  plan.seme(1) = {TaggedValue::Integer(0), TaggedValue::Integer(1)};
  for (size_t x = 2; x < 2 + computed; ++x) plan.Poni(x, -0.5 * x, x + 0.25);
  return plan;
}

// The plan as the line reader leaves it for a route of 99000 m.
Tracciato BuiltInShapedPlan() { return SeededPlan(106001, 106001 - 4); }

TEST(LineFile, SizesAndTypeCodesOfTheBuiltInShape) {
  Tracciato plan = BuiltInShapedPlan();
  std::string bytes = EncodeTracciato(plan);
  ASSERT_EQ(bytes.size(), 2119964u);
  const size_t column = 1059982;
  // Column 0: Integer 0, Integer 0, then Doubles.
  EXPECT_EQ(std::string(bytes.data(), 8), std::string("\x02\x00\x00\x00\x02\x00\x00\x00", 8));
  EXPECT_EQ(DecodeFixed16(bytes.data() + 8), 5);
  EXPECT_EQ(DecodeDouble(bytes.data() + 10), -1.0);
  // The last two elements of column 0 are Empty: a bare type code 0.
  EXPECT_EQ(std::string(bytes.data() + column - 4, 4), std::string(4, '\0'));
  // Column 1 starts right after: Integer 0, Integer 1.
  EXPECT_EQ(std::string(bytes.data() + column, 8), std::string("\x02\x00\x00\x00\x02\x00\x01\x00", 8));
  EXPECT_EQ(DecodeDouble(bytes.data() + column + 10), 2.25);

  std::vector<PuntoTracciato> decoded;
  std::string error;
  ASSERT_TRUE(DecodeTracciato(bytes, &decoded, &error)) << error;
  EXPECT_EQ(decoded, PuntiDelTracciato(plan));
}

// The line file of any plan, element by element from the tagged values the
// plan holds: column 0 for every x, then column 1.
std::string ElementByElement(const Tracciato& plan) {
  std::string bytes;
  for (int column = 0; column < 2; ++column) {
    for (size_t x = 0; x < plan.size(); ++x) {
      const TaggedValue value = plan[x][column];
      PutFixed16(&bytes, static_cast<uint16_t>(value.type));
      if (value.type == ValueType::Integer) PutInteger(&bytes, value.integer);
      if (value.type == ValueType::Double) PutDouble(&bytes, value.real);
    }
  }
  return bytes;
}

TEST(LineFile, WrittenInPiecesOfAFixedBufferWithTheBytesOfEveryElement) {
  struct Case {
    const char* name;
    Tracciato plan;
  };
  Tracciato unseeded;
  unseeded.Alloca(9000);
  Tracciato one_point;
  one_point.Alloca(1);
  one_point.seme(0) = {TaggedValue::Integer(0), TaggedValue::Integer(0)};
  Tracciato odd_seeds = SeededPlan(40000, 39000);
  odd_seeds.seme(0) = {TaggedValue{}, TaggedValue::Double(-3.5)};
  odd_seeds.seme(1) = {TaggedValue::Integer(-7), TaggedValue{}};
  const Case cases[] = {
      {"never allocated", Tracciato{}},
      {"allocated, never seeded: all Empty", unseeded},
      {"only point 0, seeded", one_point},
      {"seeds only", SeededPlan(2, 0)},
      {"the built-in shape", BuiltInShapedPlan()},
      {"computed up to the last point", SeededPlan(30000, 29998)},
      {"a computed part and a long Empty tail", SeededPlan(200000, 7000)},
      {"seeds of any type", odd_seeds},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string pieces;
    size_t largest = 0;
    EncodeTracciatoInPieces(c.plan, [&](std::string_view piece) {
      EXPECT_FALSE(piece.empty());
      largest = std::max(largest, piece.size());
      pieces.append(piece);
    });
    const std::string expected = ElementByElement(c.plan);
    EXPECT_TRUE(pieces == expected) << pieces.size() << " bytes instead of " << expected.size();
    EXPECT_LE(largest, kPieceBytes);
    EXPECT_EQ(TracciatoBytes(c.plan), expected.size());
    EXPECT_TRUE(EncodeTracciato(c.plan) == expected);
  }
}

TEST(LineFile, DecoderRefusesBrokenFiles) {
  std::vector<PuntoTracciato> decoded;
  std::string error;
  struct Case {
    std::string bytes;
    std::string message_part;
  };
  const Case cases[] = {
      {std::string("\x05\x00\x01\x02", 4), "ends inside the value"},
      {std::string("\x03\x00", 2), "unknown type code 3"},
      {std::string("\x00", 1), "inside a type code"},
      {std::string("\x00\x00\x00\x00\x00\x00", 6), "odd number"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(DecodeTracciato(c.bytes, &decoded, &error));
    EXPECT_NE(error.find(c.message_part), std::string::npos) << error;
  }
}

TEST(CompiledFiles, WritersReplaceTheirFilesUnderTheScenarioNames) {
  FakeFileSystem files;
  Workspace workspace{files, "/dir/"};
  ScenarioModel model;
  model.nome_linea = "Calvisio -Sambreta";
  model.numero_treno = "31613";
  model.percorso.resize(3);
  model.tracciato.Alloca(2);
  files.files["/dir/Calvisio -Sambreta_31613.dat"] = std::string(1000, 'x');  // older, longer

  model.compila_linea = 1;
  WriteCompiledFiles(model, workspace);

  EXPECT_EQ(files.files.at("/dir/Calvisio -Sambreta_linea.dat").size(), 2u * 2u * 2u);
  EXPECT_EQ(files.files.at("/dir/Calvisio -Sambreta_31613.sim").size(), 87u * 34u);
  EXPECT_EQ(files.files.at("/dir/Calvisio -Sambreta_31613.dat"), std::string(45, '\0'));
}

}  // namespace
}  // namespace scenario
