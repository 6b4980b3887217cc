// The items of the line description after its general section: gradients,
// curves and the plan of the track, mountains, maximum-speed indicators and
// indication boards.
#include "compiler/readers/line_reader_parts.h"

namespace scenario {

namespace line_reading {

// False when a fault stopped the reader; true at the end of the file or
// after a range error.
bool LineReader::ReadRest() {
  const std::string& riga = state_.riga;
  while (NextKeyword()) {
    if (warn_) WarnRestField(riga);
    // The tests are tried in this order on the same keyword field.
    AfterLine outcome = AfterLine::GoOn;
    if (ContainsIgnoringCase(riga, "pendenza")) outcome = ReadGradient();
    if (outcome == AfterLine::GoOn && model_.compila_linea != 0 && ContainsIgnoringCase(riga, "curva"))
      outcome = ReadCurve();
    if (outcome == AfterLine::GoOn && ContainsIgnoringCase(riga, "montagna")) outcome = ReadMountain();
    if (outcome == AfterLine::GoOn && ContainsIgnoringCase(riga, "indicatori_v")) outcome = ReadIndicator();
    if (outcome == AfterLine::GoOn && ContainsIgnoringCase(riga, "indicat") &&
        ContainsIgnoringCase(riga, "cartello"))
      outcome = ReadBoard();
    if (outcome == AfterLine::Close) return true;
    if (outcome == AfterLine::Stopped) return false;
  }
  return true;
}

// The warnings of a keyword field after the general section: the section
// it stands in, a keyword only the general section reads, a field no test
// knows.
void LineReader::WarnRestField(const std::string& riga) {
  ws_.at = source_.fields().last_field();
  const bool curve = ContainsIgnoringCase(riga, "curva");
  if (curve && model_.compila_linea == 0) {
    // Curves are passed over, values and all, when no plan is built.
    warn_->QuietLine(ws_.at.line);
    return;
  }
  struct Test {
    bool matched;
    const char* keyword;
    const char* section;
  };
  const Test tests[] = {
      {ContainsIgnoringCase(riga, "pendenza"), "pendenza", "pendenze"},
      {curve, "curva", "curve"},
      {ContainsIgnoringCase(riga, "montagna"), "montagna", "montagne"},
      {ContainsIgnoringCase(riga, "indicatori_v"), "indicatori_vmax", "cartelli"},
      {ContainsIgnoringCase(riga, "indicat") && ContainsIgnoringCase(riga, "cartello"), "cartello_indicatore",
       "indicazioni"}};
  std::vector<std::string> keywords;
  for (const Test& test : tests)
    if (test.matched) keywords.push_back(test.keyword);
  warn_->SeveralKeywords(riga, ws_.at, keywords);
  for (const Test& test : tests) {
    if (test.matched) {
      warn_->Recognised(test.keyword, test.section, ws_.at);
      return;
    }
  }
  if (HeaderName(riga).empty() && !warn_->WarnedOnLine(ws_.at.line) &&
      ((ContainsIgnoringCase(riga, "percorso") && ContainsIgnoringCase(riga, "lunghezza")) ||
       ContainsIgnoringCase(riga, "progressiva") || ContainsIgnoringCase(riga, "sfondo") ||
       ContainsIgnoringCase(riga, "ripetizione"))) {
    warn_->Warn(ws_.at, WarningKind::GeneralSection,
                "'" + riga +
                    "' is read only in the general section, before the first bracketed header after "
                    "[generale]; here it is skipped with its values");
    return;
  }
  warn_->Unrecognised(riga, ws_.at);
}

// An item placed beyond the line's own length, in the run-out after it.
void LineReader::WarnRunOut(const char* item, int32_t position) {
  const int32_t length = model_.stazioni[kRecordDatiGenerali].fine_zona;
  if (position <= length) return;
  warn_->Warn(ws_.at, WarningKind::RunOut,
              std::string(item) + " at " + Metres(position) + " lies beyond the end of the line at " +
                  Metres(length) + ", in the 7000 m run-out after it");
}

// The range test of an item at `x`: a failure records error 15 and ends
// the reading of the file.
bool LineReader::FailsRangeTest(int32_t x, const char* item) {
  if (FitsRoute(model_, x, kItemMargin)) return false;
  model_.codice_errore = error_number::kBeyondRoute;
  model_.posizione_errore = x;
  // A route length under 1000 m whose route, in kilometres, the item
  // would fit reads like kilometres: the stop is told at that length.
  const int32_t length = model_.stazioni[kRecordDatiGenerali].fine_zona;
  if (length > 0 && length < 1000 && route_length_at_.line > 0 && int64_t{x} <= int64_t{length} * 1000 + 7000) {
    source_.ExplainStop(route_length_at_,
                        "the route length " + Metres(length) + " reads like kilometres, and line " +
                            std::to_string(ValueAt(0).line) + " lies beyond the route it gives: " +
                            causes::BeyondRoute(item, x, kItemMargin, model_) +
                            "; the reading of the line description stops at line " + std::to_string(ValueAt(0).line) +
                            ", and the train service's at its first signal or slowdown line; write " +
                            std::to_string(int64_t{length} * 1000) + " if that is the length meant");
    return true;
  }
  source_.ExplainStop(ValueAt(0), causes::BeyondRoute(item, x, kItemMargin, model_) +
                                      "; the reading of the line description stops here, and the train "
                                      "service's stops at its first signal or slowdown line");
  return true;
}

// The gradient in force as a cell stores it. It comes from an earlier
// line and is computed when the next gradient line, or the end of the
// file, fills the cells: a gradient that cannot be stored is the fault of
// the line that gave it.
uint8_t LineReader::StoredGradient() {
  return Low8(NamingCause([&] { return AddLong(state_.pendenza_attuale, 100); },
                          [&](RuntimeFailure& failure) {
                            failure.SetCause(state_.pendenza_at,
                                             causes::GradientOverflow(state_.pendenza_attuale, state_.pendenza_at));
                          }));
}

// Gives the gradient in force to the cells from the cursor on, up to the
// cell before `end`; at least one cell.
void LineReader::FillGradientCells(int64_t end) {
  const WritingForLine writing(source_, state_.pendenza_at);
  const uint8_t pendenza = StoredGradient();
  do {
    cella(model_, state_.cella_pendenza).pendenza = pendenza;
    state_.cella_pendenza = AddLong(state_.cella_pendenza, 1);
  } while (state_.cella_pendenza < end);
}

AfterLine LineReader::ReadGradient() {
  BeginValues(keyword::kPendenza);
  const int32_t posizione = ReadLong();
  const int32_t valore = ReadLong();
  if (FailsRangeTest(posizione, "the gradient")) return AfterLine::Close;
  const int64_t n = round_half_even(InCells(posizione));
  if (warn_) WarnGradient(posizione, valore, n);
  if (n > 0) FillGradientCells(n);
  state_.pendenza_attuale = valore;
  state_.pendenza_at = ValueAt(1);
  return AfterLine::GoOn;
}

void LineReader::WarnGradient(int32_t posizione, int32_t valore, int64_t n) {
  if (ws_.gradient_seen && n <= state_.cella_pendenza) {
    if (n > 0)
      warn_->Warn(ws_.at, WarningKind::PositionBack,
                  "the gradient at " + Metres(posizione) + " is not beyond the previous one at " +
                      Metres(ws_.gradient_position) + ": the previous gradient keeps one more route cell, cell " +
                      std::to_string(state_.cella_pendenza) + ", and this one applies from cell " +
                      std::to_string(int64_t{state_.cella_pendenza} + 1) + " on");
    else
      warn_->Warn(ws_.at, WarningKind::PositionBack,
                  "the gradient at " + Metres(posizione) + " is not beyond the previous one at " +
                      Metres(ws_.gradient_position) + ": it replaces it, and the previous gradient is never used");
  }
  const int64_t stored = int64_t{valore} + 100;
  if (stored < 0 || stored > 255)
    warn_->Warn(ws_.at, WarningKind::LowBits,
                "the gradient " + std::to_string(valore) + " is stored as " + std::to_string(valore) +
                    " + 100 in one byte, which keeps only its low 8 bits (" +
                    std::to_string(static_cast<int>(static_cast<uint8_t>(stored & 0xFF))) +
                    "): gradients run from -100 to 155");
  ws_.gradient_seen = true;
  ws_.gradient_position = posizione;
}

// A curve keyword other than curvasN or curvadN: what it is read as.
void LineReader::WarnCurveKeyword(size_t classe) {
  std::string lower;
  for (char c : state_.riga) {
    if (c == ' ' || c == '\t') continue;
    lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const bool plain = lower.size() == 7 && lower.rfind("curva", 0) == 0 && (lower[5] == 's' || lower[5] == 'd') &&
                     lower[6] >= '1' && lower[6] <= '6';
  if (plain) return;
  const bool left = state_.curvatura < 0;
  warn_->Warn(ws_.at, WarningKind::KeywordRead,
              "'" + state_.riga + "' is read as '" + (left ? "curvas" : "curvad") + std::to_string(classe + 1) +
                  "', a " + (left ? "left" : "right") +
                  " curve of class " + std::to_string(classe + 1) +
                  ": the class is the lowest digit 1 to 6 in the keyword, and any 's' in it makes the curve turn "
                  "left; write curvas1 to curvas6 or curvad1 to curvad6");
}

void LineReader::WarnCurve(int32_t inizio, int32_t lunghezza) {
  const int64_t fine = int64_t{inizio} + lunghezza;
  if (lunghezza < 0) {
    warn_->Warn(ws_.at, WarningKind::NegativeLength,
                "the curve at " + Metres(inizio) + " has a negative length, " + Metres(lunghezza) +
                    ": it adds no turn to the track");
  } else if (ws_.curve_seen && inizio < ws_.curve_end) {
    if (fine <= ws_.curve_end)
      warn_->Warn(ws_.at, WarningKind::CurveOverlap,
                  "the curve from " + Metres(inizio) + " to " + Metres(fine) +
                      " lies within the previous curve, which ends at " + Metres(ws_.curve_end) +
                      ": it adds no turn to the track");
    else
      warn_->Warn(ws_.at, WarningKind::CurveOverlap,
                  "the curve from " + Metres(inizio) + " starts before the previous curve ends at " +
                      Metres(ws_.curve_end) + ": it turns only from " + Metres(ws_.curve_end) + " to " +
                      Metres(fine));
  }
  if (fine > ws_.curve_end || !ws_.curve_seen) ws_.curve_end = static_cast<int32_t>(std::max<int64_t>(fine, ws_.curve_end));
  ws_.curve_seen = true;
}

AfterLine LineReader::ReadCurve() {
  BeginValues(keyword::kCurva);
  const int32_t inizio = ReadLong();
  const int32_t lunghezza = ReadLong();
  if (FailsRangeTest(inizio, "the curve")) return AfterLine::Close;
  const std::optional<CurveKeyword> curve = ReadCurveKeyword(state_.riga);
  if (!curve) {
    Stop(error_number::kCurve);
    return AfterLine::Stopped;
  }
  const size_t classe = static_cast<size_t>(curve->classe - 1);
  state_.curvatura = curve->left ? -kCurvatura[classe] : kCurvatura[classe];
  if (warn_) {
    WarnCurveKeyword(classe);
    WarnCurve(inizio, lunghezza);
  }
  return NamingCause([&] { return PlanCurve(inizio, lunghezza); }, [&](RuntimeFailure& failure) {
    failure.SetCause(ValueAt(1), causes::CurveOutsidePlan(failure, inizio, lunghezza, model_));
  });
}

// The plan's points up to the curve's end: the straight run before the
// curve, then the curve itself.
AfterLine LineReader::PlanCurve(int32_t inizio, int32_t lunghezza) {
  PlanCursor plan(model_.tracciato, state_.metro_tracciato);
  while (plan.j() <= inizio) {
    plan.Diritto();
    if (plan.j() > kMetroTracciatoMassimo) {
      Stop(error_number::kCurve);
      return AfterLine::Stopped;
    }
  }
  // The curve's end is first computed here, when the straight run before
  // it is stored: a sum beyond a Long fails with the straight run kept,
  // and a straight run past the geometry limit stops before it.
  const int64_t fine = AddLong(inizio, lunghezza);
  while (plan.j() <= fine) {
    plan.InCurva(state_.curvatura);
    if (plan.j() > kMetroTracciatoMassimo) {
      Stop(error_number::kCurve);
      return AfterLine::Stopped;
    }
  }
  state_.metro_tracciato = static_cast<int32_t>(plan.j());
  return AfterLine::GoOn;
}

AfterLine LineReader::ReadMountain() {
  BeginValues(keyword::kMontagna);
  const int32_t inizio = ReadLong();
  const int32_t fine = ReadLong();
  int32_t tipo = ReadLong();
  if (FailsRangeTest(inizio, "the mountain")) return AfterLine::Close;
  if (warn_) WarnMountain(inizio, fine, tipo);
  const bool markers = tipo > 10;
  NamingCause([&] { memo_montagna(model_, inizio, fine, tipo); },
              [&](RuntimeFailure& failure) {
                const causes::Cause cause = causes::MountainOutside(failure, inizio, fine, model_);
                failure.SetCause(ValueAt(cause.value), cause.text);
              });
  if (warn_ && markers) {
    // Every fourth cell of the section that now holds a marker.
    const int64_t prima = round_half_even(InCells(inizio));
    const int64_t ultima = round_half_even(InCells(fine) - 1);
    for (int64_t indice = prima + 3; indice <= ultima; indice += 4) {
      if (cella(model_, indice).tipo_cella == tipo::marcatore_montagna)
        warn_->MountainMarker(indice, "the mountain from " + Metres(inizio), ValueAt(causes::kKeyword));
    }
  }
  return AfterLine::GoOn;
}

void LineReader::WarnMountain(int32_t inizio, int32_t fine, int32_t tipo) {
  WarnRunOut("the mountain", inizio);
  const int64_t count = model_.numero_montagne;
  const int32_t own_type = tipo > 10 ? tipo - 10 : tipo;
  if (count >= 1 && count < kNumeroMontagne && own_type != 3) {
    const int32_t previous_end = model_.montagne_fine[static_cast<size_t>(count)];
    if (int64_t{inizio} - previous_end <= kDistanzaMontagne)
      warn_->Warn(ValueAt(2), WarningKind::MountainType,
                  "the mountain from " + Metres(inizio) + " starts " + Metres(int64_t{inizio} - previous_end) +
                      " after the previous one ends at " + Metres(previous_end) +
                      ", within 150 m: it is compiled as type 3, not " + std::to_string(own_type) +
                      "; leave more than 150 m between them, or join the two");
  }
  if (fine < inizio)
    warn_->Warn(ws_.at, WarningKind::NegativeLength,
                "the mountain from " + Metres(inizio) + " ends before it starts, at " + Metres(fine) +
                    ": it covers no cell");
  const int64_t type = tipo > 10 ? int64_t{tipo} - 10 : tipo;
  if (type < 0 || type > 255)
    warn_->Warn(ws_.at, WarningKind::LowBits,
                "the mountain type " + std::to_string(tipo) + " does not fit a byte: only its low 8 bits are kept (" +
                    std::to_string(static_cast<int>(static_cast<uint8_t>(type & 0xFF))) + ")");
}

AfterLine LineReader::ReadIndicator() {
  BeginValues(keyword::kIndicatoriVmax);
  std::array<int32_t, 9> v{};
  for (int32_t& value : v) value = ReadLong();
  const int32_t posizione = v[0];
  if (FailsRangeTest(posizione, "the maximum-speed indicator")) return AfterLine::Close;
  if (warn_) {
    WarnRunOut("the maximum-speed indicator", posizione);
    // A sum beyond 16 bits is told as such; within, each count in its range.
    const int64_t stripes = int64_t{v[4]} * 10 + v[8];
    if (stripes < -32768 || stripes > 32767) {
      if (int64_t{v[4]} * 10 >= INT32_MIN && int64_t{v[4]} * 10 <= INT32_MAX)
        warn_->SixteenBits(ValueAt(4), "the indicator's strisces × 10 + strisced (valore_4),", stripes);
    } else {
      warn_->OutsideRange(ValueAt(4), "the indicator's strisces", v[4], 0, 9, "a stripe count");
      warn_->OutsideRange(ValueAt(8), "the indicator's strisced", v[8], 0, 9, "a stripe count");
    }
  }
  std::optional<MarkerWatch> watch;
  if (warn_) watch.emplace(model_);
  NamingCause(
      [&] { memo_indicatori_v_max(model_, posizione, v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]); },
      [&](RuntimeFailure& failure) {
        const causes::Cause cause = causes::IndicatorValues(failure, v);
        failure.SetCause(ValueAt(cause.value), cause.text);
      });
  const int64_t indicator_cell = round_half_even(InCells(posizione) + 1);
  if (model_.codice_errore > 0) {
    source_.ExplainStop(ValueAt(0), CellTaken("the maximum-speed indicator", posizione, indicator_cell, 1,
                                              warn_ ? warn_->HolderOf(indicator_cell) : "", model_));
    source_.CloseAndDelete();
    model_.posizione_errore = posizione;
    return AfterLine::Stopped;
  }
  if (warn_) warn_->Holds(indicator_cell, "the maximum-speed indicator at " + Metres(posizione), ValueAt(0));
  if (watch) watch->After(*warn_, model_, ValueAt(0), "the maximum-speed indicator", posizione);
  return AfterLine::GoOn;
}

AfterLine LineReader::ReadBoard() {
  BeginValues(keyword::kCartelloIndicatore);
  const int32_t posizione = ReadLong();
  state_.riga = source_.fields().ReadText();  // the caption
  if (warn_) warn_->TextRead("caption", state_.riga, source_.fields().last_text());
  if (FailsRangeTest(posizione, "the indication board")) return AfterLine::Close;
  rec_cella& cell = NamingCause(
      [&]() -> rec_cella& { return cella(model_, round_half_even(InCells(posizione) + 1)); },
      [&](RuntimeFailure& failure) {
        failure.SetCause(ValueAt(0), causes::PointBeforeRoute("the indication board", posizione, failure.index()));
      });
  const int64_t board_cell = round_half_even(InCells(posizione) + 1);
  if (cella_occupata(cell)) {
    source_.ExplainStop(ValueAt(0), CellTaken("the indication board", posizione, board_cell, 1,
                                              warn_ ? warn_->HolderOf(board_cell) : "", model_));
    Stop(error_number::kBoardCellTaken);
    model_.posizione_errore = posizione;
    return AfterLine::Stopped;
  }
  if (warn_) warn_->Holds(board_cell, "the indication board at " + Metres(posizione), ValueAt(0));
  if (warn_) {
    WarnRunOut("the indication board", posizione);
    if (state_.indice_cartello == 0)
      warn_->Warn(ws_.at, WarningKind::CaptionRecordZero,
                  "this is the 81st indication board: its caption takes record 0 of the station table, "
                  "below the 80 records kept for captions; and with 80 boards or more no station can be "
                  "stored");
  }
  std::optional<MarkerWatch> watch;
  if (warn_) watch.emplace(model_);
  cell.tipo_cella = tipo::cartello;
  cell.valore_1 = Low16(state_.indice_cartello);
  if (watch) watch->After(*warn_, model_, ValueAt(0), "the indication board", posizione);
  NamingCause([&] { stazione(model_, state_.indice_cartello).nome = state_.riga; },
              [&](RuntimeFailure& failure) {
                failure.SetCause(source_.fields().keyword_position(), causes::TooManyBoards(state_.indice_cartello));
              });
  state_.indice_cartello = SubtractLong(state_.indice_cartello, 1);
  return AfterLine::GoOn;
}

}  // namespace line_reading

using line_reading::MountainSlot;
using line_reading::kDistanzaMontagne;

void memo_montagna(ScenarioModel& model, int32_t inizio, int32_t fine, int32_t& tipo) {
  bool marcatori = false;
  if (tipo > 10) {
    tipo = tipo - 10;
    marcatori = true;
  }
  model.numero_montagne = AddLong(model.numero_montagne, 1);
  MountainSlot(model.montagne_inizio, model.numero_montagne) = inizio;
  MountainSlot(model.montagne_fine, model.numero_montagne) = fine;
  if (model.numero_montagne > 1 &&
      SubtractLong(inizio, MountainSlot(model.montagne_fine, model.numero_montagne - 1)) <= kDistanzaMontagne)
    tipo = 3;

  const int64_t prima = round_half_even(InCells(inizio));
  const int64_t ultima = round_half_even(InCells(fine) - 1);
  int64_t contate = 0;
  for (int64_t indice = prima; indice <= ultima; ++indice) {
    rec_cella& cell = cella(model, indice);
    ++contate;
    cell.montagna = Low8(tipo);
    if (marcatori && contate % 4 == 0 && cell.tipo_cella == tipo::libera)
      cell.tipo_cella = tipo::marcatore_montagna;
  }
}

void memo_indicatori_v_max(ScenarioModel& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced) {
  rec_cella& cell = cella(model, round_half_even(InCells(posizione) + 1));
  if (cella_occupata(cell)) {
    model.codice_errore = error_number::kIndicatorCellTaken;
    return;
  }
  cell.tipo_cella = tipo::indicatore_v_max;
  cell.valore_1 = RoundToInteger(static_cast<double>(vas) * 20 + static_cast<double>(vad) / 5);
  cell.valore_2 = RoundToInteger(static_cast<double>(vbs) * 20 + static_cast<double>(vbd) / 5);
  cell.valore_3 = RoundToInteger(static_cast<double>(vcs) * 20 + static_cast<double>(vcd) / 5);
  cell.valore_4 = Low16(AddLong(MultiplyLong(strisces, 10), strisced));
}

}  // namespace scenario
