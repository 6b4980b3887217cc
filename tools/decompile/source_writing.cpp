// Writing the recovered items as the two sources, in the layout of the
// built-in ones.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "sources/text_file_writer.h"
#include "tools/decompile/recovered_items.h"

namespace scenario::tool {

namespace recovery {

namespace {

std::string Padded(int64_t value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  return text;
}

// The values after a keyword, each after a comma and `blanks` blanks.
std::string Spaced(const std::vector<std::string>& values, const std::string& blanks) {
  std::string text;
  for (const std::string& value : values) text += "," + blanks + value;
  return text;
}


// A speed of a maximum-speed indicator's second set is left empty when 0.
std::string NumOrEmpty(int64_t value) { return value == 0 ? std::string() : std::to_string(value); }

std::string Columns(const std::vector<std::pair<int64_t, int>>& values) {
  std::string text;
  for (const auto& [value, width] : values) text += "," + Padded(value, width);
  return text;
}

// A caption or a name that cannot be written as a text field is written as
// it can be (the self-check then finds the difference and says so).
std::string TextOrAsIs(const std::string& text) {
  std::optional<std::string> value = TextValue(text);
  return value ? *value : text;
}

}  // namespace

std::vector<std::string> LineDescriptionLines(const LineDescription& line) {
  std::vector<std::string> lines;
  lines.push_back("[generale]");
  lines.push_back("lunghezza percorso" + Spaced({Num(line.length)}, "    "));
  for (const auto& [word, triple] : {std::pair{"uno", line.uno}, std::pair{"due", line.due}, std::pair{"tre", line.tre}})
    lines.push_back(std::string("progressiva chilometrica ") + word +
                    Spaced({Num(triple.first), Num(triple.second), Num(triple.third)}, "    "));
  lines.push_back("sfondo uno" + Spaced({Num(line.sfondo_uno)}, "    "));
  lines.push_back("sfondo due" + Spaced({Num(line.sfondo_due)}, "    "));
  lines.push_back("sfondo tre" + Spaced({Num(line.sfondo_tre)}, "    "));
  lines.push_back("ripetizione segnali " + std::to_string(line.cab_codes) + " codici" +
                  Spaced({Num(line.cab_start), Num(line.cab_end)}, "    "));
  lines.push_back("[curve]");
  for (const Curve& curve : line.curves)
    lines.push_back(CurveKeyword(curve) + Spaced({Num(curve.start), Num(curve.length)}, "  "));
  lines.push_back("[pendenze]");
  for (const Step& step : line.gradients)
    lines.push_back("pendenza,   " + Num(step.position) + ",    " + Num(step.value));
  lines.push_back("[montagne]");
  for (const Mountain& mountain : line.mountains)
    lines.push_back("montagna,   " + Num(mountain.start) + Spaced({Num(mountain.end), Num(mountain.tipo)}, "  "));
  lines.push_back("[cartelli]");
  for (const Indicator& i : line.indicators)
    lines.push_back("indicatori_vmax" +
                    Spaced({Num(i.position), Num(i.high[0]), Num(i.high[1]), Num(i.high[2]), Num(i.strisces),
                            NumOrEmpty(i.low[0]), NumOrEmpty(i.low[1]), NumOrEmpty(i.low[2]), Num(i.strisced)},
                           "  "));
  lines.push_back("[indicazioni]");
  for (const Board& board : line.boards)
    lines.push_back("cartello_indicatore,  " + Num(board.position) + ",   " + TextOrAsIs(board.caption));
  lines.push_back("[fine]");
  return lines;
}

std::vector<std::string> TrainServiceLines(const TrainService& train) {
  std::vector<std::string> lines;
  lines.push_back("[generale]");
  lines.push_back("numero vetture,    " + Num(train.vetture));
  lines.push_back("percentuale massa frenata,    " + Num(train.massa_frenata));
  lines.push_back("sabbia,    " + Num(train.sabbia));
  // The clock's three numbers are separated by blanks only.
  lines.push_back("orologio,    " + Num(train.hours) + "               " + Num(train.minutes) + "            " +
                  Num(train.seconds) + " ");
  lines.push_back("[aderenze]");
  for (const Step& step : train.adhesion) lines.push_back("aderenza" + Columns({{step.position, 8}, {step.value, 6}}));
  lines.push_back("[vel_limite]");
  for (const Step& step : train.speed) lines.push_back("velocita" + Columns({{step.position, 8}, {step.value, 6}}));
  auto station_line = [](const Station& s) {
    return "stazione" +
           Columns({{s.position, 8}, {s.tipo, 3}, {s.length, 5}, {s.par[0], 3}, {s.par[1], 2}, {s.par[2], 2},
                    {s.par[3], 3}, {s.par[4], 1}, {s.par[5], 1}, {s.par[6], 3}, {s.par[7], 1}, {s.par[8], 1},
                    {s.sosta, 5}, {s.hours, 4}, {s.minutes, 2}, {s.seconds, 2}}) +
           ", " + TextOrAsIs(s.nome);
  };
  auto signal_line = [](const Signal& s) {
    return "segnale" + Columns({{s.position, 8}, {s.sx, 4}, {s.s1, 2}, {s.s2, 2}, {s.s3, 3}, {s.rapp, 2},
                                {s.dx, 5}, {s.d1, 3}, {s.d2, 1}, {s.d3, 1}, {s.tempo, 2}});
  };
  auto slowdown_lines = [&] {
    lines.push_back("[rallentamenti]");
    for (const Slowdown& r : train.slowdowns)
      lines.push_back("rallentamento" +
                      Columns({{r.x, 8}, {r.v, 6}, {r.l, 5}, {r.f_tt, 2}, {r.f_ta, 3}, {r.d_v, 3}}));
  };
  if (train.marked_order.empty()) {
    lines.push_back("[stazioni]");
    for (const Station& s : train.stations) lines.push_back(station_line(s));
    slowdown_lines();
    lines.push_back("[segnali]");
    for (const Signal& s : train.signals) lines.push_back(signal_line(s));
  } else {
    // Stations and signals in the order their approach marks need, each
    // run under its section; the slowdowns, which no mark touches, after
    // the first run.
    std::optional<MarkedItem::Kind> section;
    bool slowdowns_written = false;
    for (const MarkedItem& item : train.marked_order) {
      if (section != item.kind) {
        if (section && !slowdowns_written) {
          slowdown_lines();
          slowdowns_written = true;
        }
        lines.push_back(item.kind == MarkedItem::Kind::Station ? "[stazioni]" : "[segnali]");
        section = item.kind;
      }
      lines.push_back(item.kind == MarkedItem::Kind::Station ? station_line(train.stations[item.index])
                                                             : signal_line(train.signals[item.index]));
    }
    if (!slowdowns_written) slowdown_lines();
  }
  lines.push_back("[codici]");
  for (const auto& [cell, value] : train.code_changes)
    lines.push_back("abbattimento" + Columns({{cell * kCellMetres, 8}, {value, 6}}));
  lines.push_back("[fine]");
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) { return TextLinesBytes(lines); }

}  // namespace recovery

std::optional<std::string> TextValue(const std::string& text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  const bool plain = text.find_first_of(",\r\n") == std::string::npos &&
                     (text.empty() || (!blank(text.front()) && !blank(text.back()) && text.front() != '"'));
  if (plain) return text;
  if (text.find('"') != std::string::npos) return std::nullopt;
  return "\"" + text + "\"";
}

}  // namespace scenario::tool
