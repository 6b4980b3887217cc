#include "compiler/readers/line_reader.h"

#include "compiler/readers/line_reader_parts.h"

namespace scenario {

namespace line_reading {

LineReadOutcome LineReader::Run() {
  if (!FindGeneralSection()) return Stopped();
  // Nothing in the general section looks at the route or the plan, so they
  // are allocated once it has ended, however it ends, at the sizes of the
  // last route-length line. A file of many route-length lines thus costs
  // one allocation, not one per line.
  bool general_section_read = false;
  try {
    general_section_read = ReadGeneralSection();
  } catch (...) {
    AllocateRoute();
    throw;
  }
  AllocateRoute();
  if (!general_section_read) return Stopped();
  for (size_t i = 0; i < 3; ++i) state_.progressive_read[i] = model_.stazioni[kRecordProgressivaTre + static_cast<int>(i)];
  if (warn_) WarnProgressivesCleared();
  NamingCause([&] { progressive_ordina(model_); },
              [&](RuntimeFailure& failure) { NameProgressivesFailure(failure); });
  SetUp();
  if (!ReadRest()) return Stopped();
  Close();
  return {true, state_.indice_cartello};
}

// Records a fault that stops the reader: the source is closed and deleted.
void LineReader::Stop(int32_t numero) {
  source_.CloseAndDelete();
  model_.codice_errore = numero;
}

// Where value `index` of the line being read began; its keyword for
// causes::kKeyword.
FieldPosition LineReader::ValueAt(size_t index) const {
  return index == causes::kKeyword ? source_.fields().keyword_position() : source_.fields().value_position(index);
}

bool LineReader::FindGeneralSection() {
  for (;;) {
    NamingCause([&] { ReadKeyword(); },
                [](RuntimeFailure& failure) { failure.SetCause({}, causes::EmptyLineDescription()); });
    if (source_.AtEnd()) {
      Stop(error_number::kNoGeneralSection);
      return false;
    }
    if (ContainsIgnoringCase(state_.riga, "[generale]")) {
      if (warn_) warn_->EnterSection("generale");
      return true;
    }
    if (warn_) WarnBeforeGeneral();
  }
}

// A field before the general section, which the reading passes over: told
// once, at the first that is neither a comment nor a header.
void LineReader::WarnBeforeGeneral() {
  const std::string& field = state_.riga;
  if (ws_.before_general_told) return;
  if (warn_->GeneralMisspelt(field, source_.fields().last_field())) {
    ws_.before_general_told = true;
    return;
  }
  if (field.find_first_not_of(" \t") == std::string::npos || IsComment(field) || !HeaderName(field).empty()) return;
  ws_.before_general_told = true;
  warn_->Warn(source_.fields().last_field(), WarningKind::WrongSection,
              "'" + field + "' stands before [generale]: everything before that line is skipped");
}

bool LineReader::ReadGeneralSection() {
  const std::string& riga = state_.riga;
  for (;;) {
    if (source_.AtEnd()) return true;
    ReadKeyword();
    if (source_.AtEnd()) {
      source_.WarnLastField(riga);
      return true;
    }
    for (int i = 0; i < kCommentsInGeneralSection && IsComment(riga); ++i) {
      const FieldPosition comment_at = source_.fields().last_field();
      NamingCause([&] { ReadKeyword(); }, [&](RuntimeFailure& failure) {
        failure.SetCause(comment_at, causes::CommentEndsFile(riga, comment_at));
      });
    }
    if (warn_ && IsComment(riga))
      warn_->CommentTaken(riga, source_.fields().last_field(), kCommentsInGeneralSection);
    if (warn_) WarnGeneralField(riga);

    if (ContainsIgnoringCase(riga, "percorso") && ContainsIgnoringCase(riga, "lunghezza")) {
      if (!ReadRouteLength()) return false;
    }
    if (Contains(riga, "tre") && Contains(riga, "progressiva"))
      ReadProgressive(kRecordProgressivaTre, keyword::kProgressivaTre);
    if (Contains(riga, "due") && Contains(riga, "progressiva"))
      ReadProgressive(kRecordProgressivaDue, keyword::kProgressivaDue);
    if (Contains(riga, "uno") && Contains(riga, "progressiva"))
      ReadProgressive(kRecordProgressivaUno, keyword::kProgressivaUno);
    rec_stazione& scenario = model_.stazioni[kRecordScenario];
    if (Contains(riga, "sfondo") && Contains(riga, "uno")) {
      BeginValues(keyword::kSfondoUno);
      scenario.inizio_zona = ReadLong();
    }
    if (Contains(riga, "sfondo") && Contains(riga, "due")) {
      BeginValues(keyword::kSfondoDue);
      scenario.progressiva = ReadLong();
    }
    if (Contains(riga, "sfondo") && Contains(riga, "tre")) {
      BeginValues(keyword::kSfondoTre);
      scenario.fine_zona = ReadLong();
    }
    if (Contains(riga, "segnali") && Contains(riga, "ripetizione")) {
      if (!ReadCabSignalling()) return false;
    }

    if (EndsGeneralSection(riga)) return true;
  }
}

// The warnings of a keyword field of the general section: a value given
// twice, an item of the rest of the file that the general section skips, a
// field no test knows.
void LineReader::WarnGeneralField(const std::string& riga) {
  const FieldPosition at = source_.fields().last_field();
  const bool tests[8] = {
      ContainsIgnoringCase(riga, "percorso") && ContainsIgnoringCase(riga, "lunghezza"),
      Contains(riga, "tre") && Contains(riga, "progressiva"),
      Contains(riga, "due") && Contains(riga, "progressiva"),
      Contains(riga, "uno") && Contains(riga, "progressiva"),
      Contains(riga, "sfondo") && Contains(riga, "uno"),
      Contains(riga, "sfondo") && Contains(riga, "due"),
      Contains(riga, "sfondo") && Contains(riga, "tre"),
      Contains(riga, "segnali") && Contains(riga, "ripetizione")};
  std::vector<std::string> keywords;
  for (size_t i = 0; i < 8; ++i)
    if (tests[i]) keywords.push_back(kGeneralValues[i]);
  warn_->SeveralKeywords(riga, at, keywords);
  bool matched = false;
  for (size_t i = 0; i < 8; ++i) {
    if (!tests[i]) continue;
    if (!matched && ws_.general_lines[i].line > 0)
      warn_->Warn(at, WarningKind::ValueReplaced,
                  "'" + std::string(kGeneralValues[i]) + "' is given again: this value replaces the one of line " +
                      std::to_string(ws_.general_lines[i].line));
    ws_.general_lines[i] = at;
    matched = true;
  }
  if (matched) return;
  if (!EndsGeneralSection(riga) && (ContainsIgnoringCase(riga, "pendenza") || ContainsIgnoringCase(riga, "curva") ||
                                    ContainsIgnoringCase(riga, "montagna") || ContainsIgnoringCase(riga, "indicat"))) {
    if (!warn_->WarnedOnLine(at.line))
      warn_->Warn(at, WarningKind::GeneralSection,
                  "'" + riga +
                      "' stands in the general section, which runs up to the first bracketed header and "
                      "reads only its own keywords: this line is skipped; put a header such as [curve] "
                      "before it");
    return;
  }
  warn_->Unrecognised(riga, at);
}

bool LineReader::ReadRouteLength() {
  BeginValues(keyword::kLunghezzaPercorso);
  const int32_t lunghezza = ReadLong();
  route_length_at_ = ValueAt(0);
  model_.stazioni[kRecordDatiGenerali].fine_zona = lunghezza;
  if (lunghezza > kLunghezzaMassima) {
    Stop(error_number::kRouteTooLong);
    return false;
  }
  NamingCause(
      [&] {
        model_.lunghezza_estesa = AddLong(lunghezza, kLunghezzaAggiunta);
        model_.ultima_cella = RoundToLong(InCells(model_.lunghezza_estesa));
        // A bound below 0 fails before the array is replaced.
        if (model_.ultima_cella < 0) throw RuntimeFailure("a route with a negative last cell");
      },
      [&](RuntimeFailure& failure) { failure.SetCause(ValueAt(0), causes::NegativeRoute(lunghezza)); });
  state_.celle_da_allocare = static_cast<size_t>(model_.ultima_cella) + 1;
  if (model_.compila_linea != 0) {
    if (model_.lunghezza_estesa < 0) throw RuntimeFailure("a track plan with a negative length");
    state_.punti_da_allocare = static_cast<size_t>(model_.lunghezza_estesa) + 1;
  }
  return true;
}

// Allocates the route and the plan asked for and not yet allocated, every
// cell and point cleared.
void LineReader::AllocateRoute() {
  if (state_.celle_da_allocare) model_.percorso.assign(*state_.celle_da_allocare, rec_cella{});
  if (state_.punti_da_allocare) model_.tracciato.Alloca(*state_.punti_da_allocare);
  state_.celle_da_allocare.reset();
  state_.punti_da_allocare.reset();
}

void LineReader::ReadProgressive(int record, const KeywordSpec& spec) {
  BeginValues(spec);
  rec_stazione& zona = model_.stazioni[record];
  zona.inizio_zona = ReadLong();
  zona.fine_zona = ReadLong();
  zona.progressiva = ReadLong();
  const size_t slot = static_cast<size_t>(record - kRecordProgressivaTre);
  state_.progressiva_at[slot] = {ValueAt(0), ValueAt(1)};
  // Error 2 comes only once the train service has been read, with no
  // place: the line that causes it is told here.
  if (!warn_) return;
  for (size_t i : {size_t{0}, size_t{1}}) {
    const int32_t value = i == 0 ? zona.inizio_zona : zona.fine_zona;
    if (value % kMetresPerCell == 0) continue;
    warn_->Warn(ValueAt(i), WarningKind::ValueRange,
                std::string(spec.values[i].name) + " " + std::to_string(value) + " of '" + spec.keyword +
                    "' is no multiple of 50: a kilometric progressive falls on whole route cells, and the compile "
                    "records error 2 for one that does not, once the train service has been read; write a "
                    "multiple of 50" +
                    (value > 0 && value < 1000 ? " (" + std::to_string(value) + " reads like kilometres: " +
                                                     std::to_string(value * 1000) + "?)"
                                               : ""));
    return;
  }
}

// The zones are ordered once the general section has ended; a sum that
// does not fit is the fault of the line with the value that makes it.
void LineReader::NameProgressivesFailure(RuntimeFailure& failure) {
  const KeywordSpec* const specs[3] = {&keyword::kProgressivaTre, &keyword::kProgressivaDue,
                                       &keyword::kProgressivaUno};
  int64_t sum = 0;
  size_t largest = 0;
  for (size_t i = 0; i < 3; ++i) {
    const int32_t inizio = model_.stazioni[kRecordProgressivaTre + static_cast<int>(i)].inizio_zona;
    sum += inizio;
    if (std::abs(int64_t{inizio}) >
        std::abs(int64_t{model_.stazioni[kRecordProgressivaTre + static_cast<int>(largest)].inizio_zona}))
      largest = i;
  }
  if (sum < INT32_MIN || sum > INT32_MAX) {
    failure.SetCause(state_.progressiva_at[largest][0],
                     causes::ProgressivesOverflow(specs[largest]->keyword, sum));
    return;
  }
  // The zones are stored in order before 100 is added to a chainage: find
  // the zone by its values.
  for (size_t i = 0; i < 3; ++i) {
    const rec_stazione& zona = model_.stazioni[kRecordProgressivaTre + static_cast<int>(i)];
    if (zona.progressiva != 1 || int64_t{zona.fine_zona} + 100 <= INT32_MAX) continue;
    for (size_t j = 0; j < 3; ++j) {
      if (state_.progressive_read[j].fine_zona == zona.fine_zona && state_.progressive_read[j].progressiva == 1) {
        failure.SetCause(state_.progressiva_at[j][1],
                         causes::ChainageOverflow(specs[j]->keyword, zona.fine_zona));
        return;
      }
    }
  }
  failure.SetCause({}, causes::Unnamed(failure));
}

bool LineReader::ReadCabSignalling() {
  rec_stazione& treno = model_.stazioni[kRecordTreno];
  BeginValues(keyword::kRipetizioneSegnali);
  treno.inizio_zona = ReadLong();
  treno.fine_zona = ReadLong();
  if (treno.inizio_zona % kMetresPerCell != 0) {
    Stop(error_number::kCabSignallingStartOffCell);
    return false;
  }
  if (treno.fine_zona % kMetresPerCell != 0) {
    Stop(error_number::kCabSignallingEndOffCell);
    return false;
  }
  treno.progressiva = CabSignallingCodes(state_.riga);
  if (treno.progressiva == 0) {
    Stop(error_number::kCabSignallingCodes);
    return false;
  }
  if (treno.fine_zona == 0) treno.progressiva = 0;
  if (warn_) WarnCabSignalling(treno);
  return true;
}

// A cab-signalling stretch that ends before it starts, or runs past the
// line's length, or a keyword that names both code counts.
void LineReader::WarnCabSignalling(const rec_stazione& treno) {
  const FieldPosition at = source_.fields().keyword_position();
  if (Contains(state_.riga, "4") && Contains(state_.riga, "9"))
    warn_->Warn(at, WarningKind::KeywordRead,
                "'" + state_.riga + "' names both 4 and 9 codes: it is read as 4 codes; keep the one you mean");
  if (treno.fine_zona == 0) return;
  if (treno.fine_zona < treno.inizio_zona)
    warn_->Warn(ValueAt(1), WarningKind::NegativeLength,
                "the cab-signalling stretch ends at " + Metres(treno.fine_zona) + ", before it starts at " +
                    Metres(treno.inizio_zona) + ": it covers no route; write the end after the start");
  const int32_t length = model_.stazioni[kRecordDatiGenerali].fine_zona;
  if (ws_.general_lines[0].line > 0 && treno.fine_zona > length)
    warn_->Warn(ValueAt(1), WarningKind::RunOut,
                "the cab-signalling stretch ends at " + Metres(treno.fine_zona) + ", beyond the end of the line at " +
                    Metres(length) + ": end it at the line's end or before");
}

// Two zones sharing the largest start, when the starts do not add up to 0,
// leave the three progressive records cleared.
void LineReader::WarnProgressivesCleared() {
  const rec_stazione* zones[3] = {&model_.stazioni[kRecordProgressivaTre], &model_.stazioni[kRecordProgressivaDue],
                                  &model_.stazioni[kRecordProgressivaUno]};
  const int64_t sum = int64_t{zones[0]->inizio_zona} + zones[1]->inizio_zona + zones[2]->inizio_zona;
  if (sum == 0) return;
  const int32_t largest = std::max({zones[0]->inizio_zona, zones[1]->inizio_zona, zones[2]->inizio_zona});
  size_t sharing = 0;
  size_t last = 0;
  for (size_t i = 0; i < 3; ++i) {
    if (zones[i]->inizio_zona != largest) continue;
    ++sharing;
    if (state_.progressiva_at[i][0].line >= state_.progressiva_at[last][0].line) last = i;
  }
  if (sharing < 2 || state_.progressiva_at[last][0].line == 0) return;
  warn_->Warn(state_.progressiva_at[last][0], WarningKind::ZonesCleared,
              "two kilometric progressive zones start at " + Metres(largest) +
                  ": the zones are ordered by their starts, and two equal largest starts leave all three records "
                  "cleared, so the line shows no chainage; give each zone its own start");
}

void LineReader::SetUp() {
  model_.numero_montagne = 0;
  state_.indice_cartello = kPrimoCartello;
  state_.cella_pendenza = 0;
  state_.metro_tracciato = 2;
  if (model_.compila_linea != 0) {
    // The track starts at the origin with a unit step along the second
    // coordinate.
    seme(model_, 0) = {TaggedValue::Integer(0), TaggedValue::Integer(0)};
    seme(model_, 1) = {TaggedValue::Integer(0), TaggedValue::Integer(1)};
  }
}

void LineReader::Close() {
  source_.CloseAndDelete();
  // The gradient in force runs on to the third cell from the end.
  FillGradientCells(static_cast<int64_t>(model_.ultima_cella) - 2);
  // The plan runs straight on to the third point from the end.
  if (model_.compila_linea != 0) {
    PlanCursor plan(model_.tracciato, state_.metro_tracciato);
    while (plan.j() <= static_cast<int64_t>(model_.lunghezza_estesa) - 2) plan.Diritto();
    state_.metro_tracciato = static_cast<int32_t>(plan.j());
  }
}

}  // namespace line_reading

namespace {

// One zone of the progressive records.
struct Zona {
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t progressiva = 0;
};

Zona ZonaOf(const rec_stazione& record) { return {record.inizio_zona, record.fine_zona, record.progressiva}; }

}  // namespace

using line_reading::LineReader;

LineReadOutcome ReadLineDescription(ScenarioModel& model, const Workspace& workspace, ReadingPlace* place,
                                    ReadingObserver* observer) {
  const std::string name = LineSourceName(model.nome_linea);
  if (!workspace.files.FileExists(workspace.PathOf(name))) {
    model.codice_errore = error_number::kNoLineFile;
    return {false, kPrimoCartello};
  }
  OpenSource source(workspace, name, place, observer, &LineVocabulary());
  LineReader reader(model, source);
  return reader.Run();
}

void progressive_ordina(ScenarioModel& model) {
  const Zona t = ZonaOf(model.stazioni[kRecordProgressivaTre]);
  const Zona d = ZonaOf(model.stazioni[kRecordProgressivaDue]);
  const Zona u = ZonaOf(model.stazioni[kRecordProgressivaUno]);
  std::array<Zona, 3> ordinate{};

  if (AddLong(AddLong(t.inizio, d.inizio), u.inizio) == 0) {
    // Starts adding up to 0 (all zones at the route's start): the zone with a
    // chainage leads, "uno" before "due" before "tre".
    if (t.fine > 0) ordinate = {t, d, u};
    if (d.fine > 0) ordinate = {d, t, u};
    if (u.fine > 0) ordinate = {u, d, t};
  } else {
    // Largest start first; two zones sharing the largest start leave none.
    if (t.inizio > d.inizio && t.inizio > u.inizio)
      ordinate = d.inizio > u.inizio ? std::array{t, d, u} : std::array{t, u, d};
    if (d.inizio > t.inizio && d.inizio > u.inizio)
      ordinate = t.inizio > u.inizio ? std::array{d, t, u} : std::array{d, u, t};
    if (u.inizio > t.inizio && u.inizio > d.inizio)
      ordinate = t.inizio > d.inizio ? std::array{u, t, d} : std::array{u, d, t};
  }

  const int records[3] = {kRecordProgressivaTre, kRecordProgressivaDue, kRecordProgressivaUno};
  for (size_t i = 0; i < ordinate.size(); ++i) {
    rec_stazione& record = model.stazioni[records[i]];
    record.inizio_zona = ordinate[i].inizio;
    record.fine_zona = ordinate[i].fine;
    record.progressiva = ordinate[i].progressiva;
  }
  // Only once all three zones are stored: a chainage that overflows leaves
  // the three records ordered.
  for (int r : records) {
    rec_stazione& record = model.stazioni[r];
    if (record.progressiva == 1) record.fine_zona = AddLong(record.fine_zona, 100);
  }
}

}  // namespace scenario
