#include "tests/support/scenario_generator.h"

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "compiler/fields/arithmetic.h"
#include "compiler/compile_run.h"
#include "compiler/error_reporting.h"
#include "model/file_names.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/recording_window.h"
#include "platform/window/window.h"
#include "platform/files/workspace.h"
#include "sources/line_description.h"
#include "sources/text_file_writer.h"
#include "sources/train_service.h"

namespace scenario::testing_support {

namespace {

class Random {
 public:
  explicit Random(uint64_t seed) : engine_(seed) {}
  int64_t Between(int64_t low, int64_t high) {  // both included
    return std::uniform_int_distribution<int64_t>(low, high)(engine_);
  }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(engine_) < p; }
  std::mt19937_64& engine() { return engine_; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Between(0, static_cast<int64_t>(items.size()) - 1))];
  }

 private:
  std::mt19937_64 engine_;
};

std::string N(int64_t value) { return std::to_string(value); }

std::string Values(const std::vector<int64_t>& values) {
  std::string text;
  for (int64_t value : values) text += ",  " + N(value);
  return text;
}

// The cell of a point object at `p` metres.
int64_t CellOf(double p) { return round_half_even(p / 50 + 1); }

class Generator {
 public:
  explicit Generator(uint64_t seed) : random_(seed) {}

  GeneratedScenario Make() {
    GeneratedScenario scenario;
    scenario.nome_linea = random_.Pick<std::string>({"Valle", "Calvisio -Sambreta", "Linea 7", "Alta-Bassa", "x"});
    scenario.numero_treno = N(random_.Between(1, 99999));
    scenario.with_plan = random_.Chance(0.8);
    if (random_.Chance(0.25)) {
      VaryBuiltIn(&scenario);
      return scenario;
    }
    const int64_t size = random_.Between(0, 9);
    length_ = size < 4 ? random_.Between(2000, 15000) : size < 9 ? random_.Between(20000, 120000)
                                                                  : random_.Between(200000, 250000);
    ultima_ = round_half_even((static_cast<double>(length_) + 7000) / 50);
    scenario.kind = "new, " + N(length_) + " m";
    std::vector<std::string> train = TrainLines();
    std::vector<std::string> line = LineLines();
    scenario.line_description = TextLinesBytes(line);
    scenario.train_service = TextLinesBytes(train);
    return scenario;
  }

  // A short line whose train service is written in any order, its items
  // close together: signals a few cells apart, whose approach marks fall on
  // each other's and on the stations' marks, slowdowns beside them,
  // code-change points beside signals and slowdowns, where the cell rules
  // would place theirs.
  GeneratedScenario MakeCrowded() {
    GeneratedScenario scenario;
    scenario.nome_linea = random_.Pick<std::string>({"Valle", "Linea 7", "x"});
    scenario.numero_treno = N(random_.Between(1, 99999));
    scenario.with_plan = random_.Chance(0.7);
    length_ = random_.Between(3000, 30000);
    ultima_ = round_half_even((static_cast<double>(length_) + 7000) / 50);
    std::vector<std::string> line = LineLines();
    std::vector<std::string> train = CrowdedTrainLines();
    scenario.kind = "crowded, " + N(length_) + " m, " + order_ + (scenario.with_plan ? "" : ", no line file");
    scenario.line_description = TextLinesBytes(line);
    scenario.train_service = TextLinesBytes(train);
    return scenario;
  }

 private:
  struct Item {
    std::string section;
    std::string line;
  };

  std::vector<std::string> CrowdedTrainLines() {
    std::vector<std::string> lines = GeneralAndStepLines();
    std::vector<Item> items;
    for (const std::string& line : StationLines(12, 10, 60)) items.push_back({"[stazioni]", line});
    const size_t stations = items.size();

    std::vector<int64_t> signal_cells;
    const int64_t clusters = random_.Between(1, 2 + length_ / 3000);
    for (int64_t n = 0; n < clusters; ++n) {
      int64_t k = CellOf(static_cast<double>(random_.Between(500, LastPosition())));
      for (int64_t in_cluster = random_.Between(1, 4); in_cluster > 0; --in_cluster) {
        const int64_t p = 50 * (k - 1) + random_.Pick<int64_t>({0, 0, 0, 10, -20, 25});
        if (p >= 500 && p <= LastPosition() && Free(CellOf(static_cast<double>(p)))) {
          Take({CellOf(static_cast<double>(p))});
          signal_cells.push_back(CellOf(static_cast<double>(p)));
          const int64_t sx = random_.Between(1, 2);
          const bool plain = random_.Chance(0.6);
          const int64_t tempo = plain ? 0 : random_.Pick<int64_t>({0, 30, 101, 150, 300, -5});
          items.push_back({"[segnali]", "segnale" + Values({p, sx, random_.Between(3, 4), 1,
                                                            plain ? 0 : random_.Between(0, 4),
                                                            plain ? 0 : random_.Between(0, 3),
                                                            plain ? 0 : random_.Between(0, 2),
                                                            plain ? 0 : random_.Between(0, 9), 0,
                                                            plain ? 0 : random_.Between(0, 5), tempo})});
        }
        k += random_.Between(1, 6);
      }
    }

    for (int64_t n = random_.Between(0, 1 + length_ / 8000); n > 0; --n) {
      const int64_t x = random_.Chance(0.1) ? random_.Between(100, 1600) : random_.Between(1600, LastPosition() - 100);
      const int64_t l = random_.Between(0, 1500);
      const int64_t s = CellOf(static_cast<double>(x)), e = CellOf(static_cast<double>(x + l));
      const int64_t a = CellOf(static_cast<double>(x - 1200)), w = round_half_even((static_cast<double>(x) - 1200) / 50);
      const bool warned = x > 1500;
      const int64_t f_ta = random_.Chance(0.7) ? 1 : 0;
      std::vector<int64_t> cells = {s, e};
      if (warned) cells.push_back(a);
      if (warned && f_ta) {
        for (int64_t c = w - 3; c <= w; ++c) cells.push_back(c);
      }
      if (e > ultima_ || !AllFree(cells)) continue;
      Take(cells);
      const int64_t v = random_.Chance(0.6) ? 5 * random_.Between(2, 28) : random_.Between(1, 200);
      items.push_back({"[rallentamenti]", "rallentamento" + Values({x, v, l, random_.Between(0, 1), f_ta,
                                                                    random_.Chance(0.2) ? random_.Between(1, 9) : 0})});
    }

    // Code-change points: anywhere, or beside a signal where the rules may
    // want a code change of their own.
    for (int64_t n = random_.Between(0, 5); n > 0; --n) {
      int64_t k = 0;
      if (!signal_cells.empty() && random_.Chance(0.5)) k = random_.Pick(signal_cells) - random_.Between(1, 2);
      else k = round_half_even(static_cast<double>(random_.Between(100, LastPosition())) / 50);
      if (k < 2 || 50 * k > LastPosition() || !Free(k)) continue;
      Take({k});
      const int64_t p = 50 * k + random_.Pick<int64_t>({0, 0, 10, -20});
      items.push_back({"[codici]", "abbattimento" + Values({p, random_.Pick<int64_t>({0, 75, 150, 180, 180, 200})})});
    }

    // The order: stations keep theirs (each must lie past the one before),
    // everything else anywhere among them.
    std::vector<Item> others(items.begin() + static_cast<std::ptrdiff_t>(stations), items.end());
    std::shuffle(others.begin(), others.end(), random_.engine());
    std::vector<Item> ordered;
    size_t next_station = 0;
    const int64_t way = random_.Between(0, 2);
    if (way == 0) {
      // The usual sections, each in an order of its own.
      order_ = "sections unsorted";
      for (const char* section : {"[stazioni]", "[rallentamenti]", "[segnali]", "[codici]"}) {
        lines.push_back(section);
        for (const Item& item : section == std::string("[stazioni]") ? items : others)
          if (item.section == section) lines.push_back(item.line);
      }
    } else {
      order_ = way == 1 ? "interleaved with headers" : "interleaved without headers";
      for (const Item& other : others) {
        while (next_station < stations && random_.Chance(0.4)) ordered.push_back(items[next_station++]);
        ordered.push_back(other);
      }
      while (next_station < stations) ordered.push_back(items[next_station++]);
      std::string section;
      for (const Item& item : ordered) {
        if (way == 1 && item.section != section) lines.push_back(item.section);
        section = item.section;
        lines.push_back(item.line);
      }
    }
    lines.push_back("[fine]");
    return lines;
  }

  // The last position an item may stand at: it and 100 m after it fit.
  int64_t LastPosition(int64_t margin = 100) const { return 50 * ultima_ - margin; }

  bool Free(int64_t cell) const { return cell >= 0 && cell <= ultima_ && taken_.count(cell) == 0; }
  bool AllFree(const std::vector<int64_t>& cells) const {
    return std::all_of(cells.begin(), cells.end(), [&](int64_t c) { return Free(c); });
  }
  void Take(const std::vector<int64_t>& cells) { taken_.insert(cells.begin(), cells.end()); }

  // A position whose cell (and the cells around it) nothing has taken yet.
  std::optional<int64_t> FreePosition(int64_t low, int64_t high, int64_t spread) {
    for (int attempt = 0; attempt < 20 && low <= high; ++attempt) {
      const int64_t p = random_.Between(low, high);
      const int64_t k = CellOf(static_cast<double>(p));
      std::vector<int64_t> around;
      for (int64_t c = k - spread; c <= k + spread; ++c) around.push_back(c);
      if (AllFree(around)) {
        Take({k});
        return p;
      }
    }
    return std::nullopt;
  }

  std::string Name() {
    static const std::vector<std::string> words = {"PRATO", "COLLE", "S. MARIA", "PONTE", "RIVA", "BORGO",
                                                   "VILLA", "CASALE", "MONTE", "LAGO"};
    std::string name = random_.Pick(words);
    if (random_.Chance(0.3)) name += " - " + random_.Pick(words);
    if (random_.Chance(0.05)) return "\"" + name + ", " + random_.Pick(words) + "\"";
    if (random_.Chance(0.05)) return "\"  " + name + "\"";
    return name;
  }


  std::vector<std::string> StepLines(const std::string& keyword, int64_t low, int64_t high, int64_t spacing) {
    std::vector<std::string> lines;
    int64_t p = 0;
    lines.push_back(keyword + ",   0,    " + N(random_.Between(low, high)));
    while (true) {
      p += random_.Between(1, spacing);
      if (random_.Chance(0.03)) p -= random_.Between(0, 200);  // now and then one that does not increase
      if (p < 0 || p > LastPosition()) break;
      lines.push_back(keyword + ",   " + N(p) + ",    " + N(random_.Between(low, high)));
    }
    return lines;
  }

  // The general section and the adhesion and speed steps.
  std::vector<std::string> GeneralAndStepLines() {
    std::vector<std::string> lines = {"[generale]",
                                      "numero vetture,    " + N(random_.Between(1, 12)),
                                      "percentuale massa frenata,    " + N(random_.Between(50, 150)),
                                      "sabbia,    " + N(random_.Between(0, 500)),
                                      "orologio,    " + N(random_.Between(0, 23)) + "  " + N(random_.Between(0, 59)) +
                                          "  " + N(random_.Between(0, 59)) + " ",
                                      "[aderenze]"};
    for (const std::string& line : StepLines("aderenza", 40, 120, std::max<int64_t>(length_ / 3, 100)))
      lines.push_back(line);
    lines.push_back("[vel_limite]");
    for (const std::string& line : StepLines("velocita", 0, 250, std::max<int64_t>(length_ / 4, 100)))
      lines.push_back(line);
    return lines;
  }

  // Station lines in increasing order of position, kept far enough apart;
  // each takes its stop cell.
  std::vector<std::string> StationLines(int max_stations, int64_t spacing_low, int64_t spacing_high) {
    std::vector<std::string> lines;
    int64_t previous_end = -1000000;
    int64_t p = 0;
    const int64_t last_station = std::min<int64_t>(LastPosition(800), length_);
    for (int i = 1; i <= max_stations && p <= last_station; ++i) {
      const bool first = i == 1;
      int64_t tipo = first ? 8 : random_.Pick<int64_t>({12, 12, 22, 23, 5, 7, 30, 4});
      const int64_t length = 100 * random_.Between(first ? 6 : 1, 7);
      const int64_t par_3 = random_.Chance(0.2) ? 1 : 0;
      int64_t inizio = 0, fine = 0;
      if (tipo == 5 || tipo == 6) {
        inizio = p - length;
        fine = p + 150;
      } else if (tipo == 7 || tipo == 8) {
        inizio = p - length;
        fine = p + length;
      } else {
        inizio = p - length / 2;
        fine = p + length / 2 + (par_3 != 0 ? 50 : 0);
      }
      if (!first && inizio - 350 < previous_end) {
        p += 500;
        --i;
        continue;
      }
      if (tipo < 25) {
        const int64_t stop = round_half_even(static_cast<double>(fine) / 50 - 1);
        if (!Free(stop) || stop <= 1) {
          p += 300;
          --i;
          continue;
        }
        Take({stop});
      }
      previous_end = fine;
      const bool timed = random_.Chance(0.5);
      lines.push_back("stazione," + N(p) + "," + N(tipo) + "," + N(length) + "," + N(random_.Between(0, 1)) + "," +
                      N(random_.Between(0, 1)) + "," + N(par_3) + "," + N(random_.Between(0, 4)) + ",1,0," +
                      N(random_.Between(1, 4)) + ",1,1," + N(timed ? 60 : 0) + "," +
                      N(timed ? random_.Between(5, 20) : 0) + "," + N(timed ? random_.Between(0, 59) : 0) + "," +
                      N(timed ? random_.Between(0, 59) : 0) + ", " + Name());
      p += 50 * random_.Between(spacing_low, spacing_high);
    }
    return lines;
  }

  std::vector<std::string> TrainLines() {
    std::vector<std::string> lines = GeneralAndStepLines();
    lines.push_back("[stazioni]");
    // Stations first: their stop cells overwrite whatever stands there.
    for (const std::string& line : StationLines(55, 20, 200)) lines.push_back(line);

    lines.push_back("[rallentamenti]");
    const int64_t slowdowns = random_.Between(0, 1 + length_ / 15000);
    std::vector<std::string> slowdown_lines;
    for (int64_t n = 0; n < slowdowns; ++n) {
      const int64_t x = random_.Chance(0.1) ? random_.Between(100, 1600) : random_.Between(1600, LastPosition() - 100);
      const int64_t l = random_.Between(0, 2000);
      const int64_t s = CellOf(static_cast<double>(x)), e = CellOf(static_cast<double>(x + l));
      const int64_t a = CellOf(static_cast<double>(x - 1200)), w = round_half_even((static_cast<double>(x) - 1200) / 50);
      const bool warned = x > 1500;
      const int64_t f_ta = random_.Chance(0.7) ? 1 : 0;
      std::vector<int64_t> cells = {s, e};
      for (int64_t c = s; c <= e + 13; ++c) cells.push_back(c);
      for (int64_t c = s - 21; c < s; ++c) cells.push_back(c);
      if (warned) cells.push_back(a);
      if (warned && f_ta) {
        for (int64_t c = w - 3; c <= w; ++c) cells.push_back(c);
      }
      if (e > ultima_ || !AllFree(cells)) continue;
      Take({s, e});
      if (warned) Take({a});
      if (warned && f_ta) Take({w, w - 1, w - 2, w - 3});
      const int64_t v = random_.Chance(0.7) ? 5 * random_.Between(2, 28) : random_.Between(1, 200);
      slowdown_lines.push_back("rallentamento" + Values({x, v, l, random_.Between(0, 1), f_ta,
                                                         random_.Chance(0.2) ? random_.Between(1, 9) : 0}));
    }
    lines.insert(lines.end(), slowdown_lines.begin(), slowdown_lines.end());

    lines.push_back("[segnali]");
    const int64_t signals = random_.Between(0, 2 + length_ / 2500);
    std::vector<std::pair<int64_t, std::string>> signal_lines;
    for (int64_t n = 0; n < signals; ++n) {
      std::optional<int64_t> p = FreePosition(500, LastPosition(), 2);
      if (!p) continue;
      const int64_t sx = random_.Between(1, 2);
      const bool plain = random_.Chance(0.7);
      const int64_t tempo = plain ? 0 : random_.Pick<int64_t>({0, 30, 101, 150, 300, -5});
      signal_lines.push_back(
          {*p, "segnale" + Values({*p, sx, random_.Between(3, 4), 1, plain ? 0 : random_.Between(0, 4),
                                   plain ? 0 : random_.Between(0, 3), plain ? 0 : random_.Between(0, 2),
                                   plain ? 0 : random_.Between(0, 9), 0, plain ? 0 : random_.Between(0, 5), tempo})});
    }
    std::sort(signal_lines.begin(), signal_lines.end());
    for (const auto& [position, line] : signal_lines) lines.push_back(line);

    lines.push_back("[codici]");
    for (int64_t n = random_.Between(0, 3); n > 0; --n) {
      const int64_t p = random_.Between(100, LastPosition());
      const int64_t k = round_half_even(static_cast<double>(p) / 50);
      if (!Free(k)) continue;
      Take({k});
      lines.push_back("abbattimento" + Values({p, random_.Pick<int64_t>({0, 75, 150, 180, 200, -3})}));
    }
    lines.push_back("[fine]");
    return lines;
  }

  std::vector<std::string> LineLines() {
    std::vector<std::string> lines = {"[generale]", "lunghezza percorso,    " + N(length_)};
    if (random_.Chance(0.6)) {
      lines.push_back("progressiva chilometrica uno,    0,    " + N(50 * random_.Between(0, 4000)) + ",    1");
      lines.push_back("progressiva chilometrica due,    0,    0,    0");
      lines.push_back("progressiva chilometrica tre,    0,    0,    0");
    } else {
      for (const char* word : {"uno", "due", "tre"})
        lines.push_back(std::string("progressiva chilometrica ") + word + ",    " + N(50 * random_.Between(0, 2000)) +
                        ",    " + N(50 * random_.Between(0, 4000)) + ",    " + N(random_.Between(0, 2)));
    }
    lines.push_back("sfondo uno,    " + N(random_.Between(0, 3)));
    lines.push_back("sfondo due,    " + N(random_.Between(0, 3)));
    lines.push_back("sfondo tre,    " + N(random_.Between(0, 3)));
    const int64_t cab_start = 50 * random_.Between(0, length_ / 100);
    const int64_t cab_end = random_.Chance(0.2) ? 0 : cab_start + 50 * random_.Between(1, length_ / 100);
    lines.push_back("ripetizione segnali " + std::string(random_.Chance(0.5) ? "4" : "9") + " codici,    " +
                    N(cab_start) + ",    " + N(cab_end));

    lines.push_back("[curve]");
    int64_t cursor = 2;
    const int64_t plan_end = length_ + 7000 - 2;
    while (true) {
      const int64_t start = cursor + (random_.Chance(0.15) ? 0 : random_.Between(1, 4000));
      const int64_t length = random_.Between(1, 2500);
      if (start + length > plan_end || start > LastPosition()) break;
      lines.push_back("curva" + std::string(random_.Chance(0.5) ? "s" : "d") + N(random_.Between(1, 6)) +
                      Values({start, length}));
      cursor = start + length;
    }

    lines.push_back("[pendenze]");
    for (const std::string& line : StepLines("pendenza", -25, 25, std::max<int64_t>(length_ / 5, 100)))
      lines.push_back(line);

    lines.push_back("[montagne]");
    int64_t mountain_end = 0;
    for (int64_t n = random_.Between(0, 5); n > 0; --n) {
      const int64_t start = mountain_end + random_.Between(0, length_ / 4);
      const int64_t end = start + random_.Between(20, 3000);
      if (start > LastPosition() || end > 50 * ultima_ - 50) break;
      lines.push_back("montagna" + Values({start, end, random_.Between(1, 4) + (random_.Chance(0.5) ? 10 : 0)}));
      mountain_end = end;
    }

    lines.push_back("[cartelli]");
    for (int64_t n = random_.Between(0, 2 + length_ / 8000); n > 0; --n) {
      std::optional<int64_t> p = FreePosition(0, LastPosition(), 1);
      if (!p) continue;
      const bool fives = random_.Chance(0.8);
      auto speed = [&] { return fives ? 5 * random_.Between(6, 30) : random_.Between(10, 150); };
      const int64_t vad = random_.Chance(0.8) ? 0 : speed();
      lines.push_back("indicatori_vmax" + Values({*p, speed(), speed(), speed(), random_.Between(0, 3), vad, 0, 0,
                                                  random_.Between(0, 3)}));
    }

    lines.push_back("[indicazioni]");
    for (int64_t n = random_.Between(0, 15); n > 0; --n) {
      std::optional<int64_t> p = FreePosition(0, LastPosition(), 1);
      if (!p) continue;
      std::string caption = "(P.L.      )(Km. " + N(*p / 1000) + "." + N(*p % 1000) + ")";
      if (random_.Chance(0.1)) caption = "\"(BIVIO, " + N(*p) + ")\"";
      if (random_.Chance(0.05)) caption = "";
      lines.push_back("cartello_indicatore,  " + N(*p) + ",   " + caption);
    }
    lines.push_back("[fine]");
    return lines;
  }

  // The built-in sources with some of their item lines left out and the
  // route a little longer or shorter.
  void VaryBuiltIn(GeneratedScenario* scenario) {
    scenario->kind = "built-in, varied";
    auto vary = [&](std::vector<std::string> lines) {
      std::vector<std::string> kept;
      for (const std::string& line : lines) {
        const bool item = line.rfind("curva", 0) == 0 || line.rfind("indicatori", 0) == 0 ||
                          line.rfind("cartello", 0) == 0 || line.rfind("segnale", 0) == 0 ||
                          line.rfind("rallentamento", 0) == 0 || line.rfind("montagna", 0) == 0;
        if (item && random_.Chance(0.25)) continue;
        if (line.rfind("lunghezza percorso", 0) == 0) {
          kept.push_back("lunghezza percorso,    " + N(99000 + random_.Between(0, 4000)));
          continue;
        }
        kept.push_back(line);
      }
      return TextLinesBytes(kept);
    };
    scenario->line_description = vary(BuiltInLineDescription());
    scenario->train_service = vary(BuiltInTrainService());
  }

  Random random_;
  int64_t length_ = 0;
  int64_t ultima_ = 0;
  std::set<int64_t> taken_;
  std::string order_;
};

}  // namespace

GeneratedScenario GenerateScenario(uint64_t seed) { return Generator(seed).Make(); }

GeneratedScenario GenerateCrowdedScenario(uint64_t seed) { return Generator(seed).MakeCrowded(); }

CompiledFiles CompileInMemory(const std::string& nome_linea, const std::string& numero_treno,
                              const std::string& line_description, const std::string& train_service,
                              bool with_plan) {
  FakeFileSystem files;
  const Workspace workspace{files, "in-memory"};
  files.files[workspace.PathOf(LineSourceName(nome_linea))] = line_description;
  files.files[workspace.PathOf(TrainSourceName(nome_linea, numero_treno))] = train_service;
  ScenarioModel model;
  model.nome_linea = nome_linea;
  model.numero_treno = numero_treno;
  RecordingWindow window;
  CompiledFiles compiled;
  try {
    memorizza_percorso(model, with_plan ? 1 : 0, workspace, window);
  } catch (const ErroreShown& shown) {
    compiled.stopped_with = shown.numero;
  }
  compiled.codice_errore = model.codice_errore;
  compiled.posizione_errore = model.posizione_errore;
  auto take = [&](const std::string& name) -> std::optional<std::string> {
    auto found = files.files.find(workspace.PathOf(name));
    if (found == files.files.end()) return std::nullopt;
    return found->second;
  };
  compiled.station_file = take(StationFileName(nome_linea, numero_treno)).value_or("");
  compiled.cell_file = take(CellFileName(nome_linea, numero_treno)).value_or("");
  if (with_plan) compiled.line_file = take(CompiledLineName(nome_linea));
  return compiled;
}

}  // namespace scenario::testing_support
