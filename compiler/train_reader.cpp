#include "compiler/train_reader.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/arithmetic.h"
#include "compiler/keyword_match.h"
#include "compiler/error_numbers.h"
#include "compiler/model_access.h"
#include "compiler/reading_rules.h"
#include "compiler/signal_placement.h"
#include "compiler/slowdown_placement.h"
#include "compiler/runtime_failure.h"
#include "model/file_names.h"

namespace scenario {

namespace {

// Up to two comment fields are passed over before a keyword; the third field
// is taken whatever it holds.
constexpr int kCommentsBeforeKeyword = 2;
// A station's zone must begin this far after the previous station's zone ends.
constexpr int32_t kStationSpacing = 350;

// A value that holds along the route from the cell of its step line up to
// the cell before the next line of its kind.
struct StepFill {
  int64_t index = 0;      // first cell not yet given a value
  int32_t previous = 0;   // value of the last line read
};

uint8_t SpeedFifth(int32_t speed) { return RoundToByte(speed / 5.0); }
uint8_t AdhesionByte(int32_t adhesion) { return Low8(adhesion); }

class TrainServiceReading {
 public:
  TrainServiceReading(ScenarioModel& model, OpenSource& source, int32_t indice_cartello)
      : model_(model), source_(source), fields_(source.fields()), indice_cartello_(indice_cartello) {}

  void Run() {
    // Everything before the general section is passed over.
    while (!source_.AtEnd()) {
      if (ContainsIgnoringCase(source_.ReadKeyword(), "[generale]")) break;
    }
    std::string riga;
    while (source_.ReadKeywordPassingComments(kCommentsBeforeKeyword, &riga)) {
      AfterLine next = HandleLine(riga);
      if (next == AfterLine::Stopped) return;
      if (next == AfterLine::Close) break;
    }
    Close();
  }

 private:
  // Every keyword test is made on the same field, in this order; a field
  // that matches several reads the values of each in turn.
  AfterLine HandleLine(const std::string& riga) {
    if (ContainsIgnoringCase(riga, "frenata") && ContainsIgnoringCase(riga, "massa"))
      stazione(model_, kRecordDatiGenerali).inizio_zona = fields_.ReadLong();
    if (ContainsIgnoringCase(riga, "vetture")) stazione(model_, kRecordDatiGenerali).progressiva = fields_.ReadLong();
    if (ContainsIgnoringCase(riga, "velocit")) {
      if (AfterLine next = ReadStep(speed_, &rec_cella::velocita_limite, SpeedFifth); next != AfterLine::GoOn)
        return next;
    }
    if (ContainsIgnoringCase(riga, "aderenza")) {
      if (AfterLine next = ReadStep(adhesion_, &rec_cella::aderenza, AdhesionByte); next != AfterLine::GoOn)
        return next;
    }
    if (ContainsIgnoringCase(riga, "orologio")) {
      rec_stazione& treno = stazione(model_, kRecordTreno);
      treno.par_7 = fields_.ReadInteger();
      treno.par_8 = fields_.ReadInteger();
      treno.par_9 = fields_.ReadInteger();
    }
    if (ContainsIgnoringCase(riga, "sabbia")) stazione(model_, kRecordTreno).par_4 = fields_.ReadInteger();
    if (ContainsIgnoringCase(riga, "segnale")) {
      if (AfterLine next = ReadSignal(); next != AfterLine::GoOn) return next;
    }
    if (ContainsIgnoringCase(riga, "rallentamento")) {
      if (AfterLine next = ReadSlowdown(); next != AfterLine::GoOn) return next;
    }
    if (ContainsIgnoringCase(riga, "abbattimento")) {
      if (AfterLine next = ReadCodeChange(); next != AfterLine::GoOn) return next;
    }
    if (ContainsIgnoringCase(riga, "stazione")) return ReadStation();
    return AfterLine::GoOn;
  }

  // An item beyond the route's reach: recorded, and the reading goes on to
  // the closing steps.
  AfterLine OutOfRange(int32_t posizione) {
    model_.codice_errore = error_number::kBeyondRoute;
    model_.posizione_errore = posizione;
    return AfterLine::Close;
  }

  AfterLine Stop(int32_t numero, int32_t posizione) {
    source_.CloseAndDelete();
    model_.codice_errore = numero;
    model_.posizione_errore = posizione;
    return AfterLine::Stopped;
  }

  AfterLine StopKeepingPosition(int32_t numero) {
    source_.CloseAndDelete();
    model_.codice_errore = numero;
    return AfterLine::Stopped;
  }

  // Gives `fill.previous` to the cells from the fill index up to the cell
  // before `end`, never past the route's last cell; at least one cell.
  template <typename ValueOf>
  void FillSteps(StepFill& fill, uint8_t rec_cella::*field, ValueOf value_of, int64_t end) {
    do {
      if (fill.index >= model_.ultima_cella) break;
      cella(model_, fill.index).*field = value_of(fill.previous);
      ++fill.index;
    } while (fill.index < end);
  }

  template <typename ValueOf>
  AfterLine ReadStep(StepFill& fill, uint8_t rec_cella::*field, ValueOf value_of) {
    const int32_t posizione = fields_.ReadLong();
    const int32_t value = fields_.ReadLong();
    if (!FitsRoute(model_, posizione, kItemMargin)) return OutOfRange(posizione);
    const int64_t first_cell = round_half_even(InCells(posizione));
    if (first_cell > 0) FillSteps(fill, field, value_of, first_cell);
    fill.previous = value;
    return AfterLine::GoOn;
  }

  AfterLine ReadSignal() {
    int32_t posizione = fields_.ReadLong();
    int32_t sx = fields_.ReadLong();
    int32_t s1 = fields_.ReadLong();
    int32_t s2 = fields_.ReadLong();
    int32_t s3 = fields_.ReadLong();
    int32_t rapp = fields_.ReadLong();
    int32_t dx = fields_.ReadLong();
    int32_t d1 = fields_.ReadLong();
    int32_t d2 = fields_.ReadLong();
    int32_t d3 = fields_.ReadLong();
    int32_t tempo = fields_.ReadLong();
    if (!FitsRoute(model_, posizione, kItemMargin)) return OutOfRange(posizione);
    memo_segnale(model_, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo);
    // Any error in the slot stops the reading here, also one left by the
    // line description.
    if (model_.codice_errore > 0) return Stop(model_.codice_errore, posizione);
    return AfterLine::GoOn;
  }

  AfterLine ReadSlowdown() {
    int32_t x = fields_.ReadLong();
    int32_t v = fields_.ReadLong();
    int32_t l = fields_.ReadLong();
    int32_t f_tt = fields_.ReadLong();
    int32_t f_ta = fields_.ReadLong();
    int32_t d_v = fields_.ReadLong();
    if (!FitsRoute(model_, x, kItemMargin)) return OutOfRange(x);
    memo_rallentamento(model_, x, v, l, f_tt, f_ta, d_v);
    if (model_.codice_errore > 0) return Stop(model_.codice_errore, x);
    return AfterLine::GoOn;
  }

  AfterLine ReadCodeChange() {
    const int32_t posizione = fields_.ReadLong();
    const int32_t value = fields_.ReadLong();
    if (!FitsRoute(model_, posizione, kItemMargin)) return OutOfRange(posizione);
    rec_cella& cell = cella(model_, round_half_even(InCells(posizione)));
    if (cella_occupata(cell)) return Stop(error_number::kCodeChangeCellTaken, posizione);
    if (value > 0) {
      cell.tipo_cella = tipo::cambio_codice;
      cell.valore_1 = Low16(value);
    } else {
      cell.tipo_cella = tipo::cambio_codice_abbattimento;
    }
    return AfterLine::GoOn;
  }

  AfterLine ReadStation() {
    // The records above the next caption slot hold the line's board
    // captions: a station never goes there.
    if (station_index_ > indice_cartello_) return StopKeepingPosition(error_number::kNoStationRecordLeft);
    const int32_t i = station_index_;
    rec_stazione& record = stazione(model_, i);

    int32_t length = 0;
    if (AfterLine next = ReadStationFields(record, &length); next != AfterLine::GoOn) return next;
    const int32_t p = record.progressiva;
    SetStationZone(record, i, length);
    if (AfterLine next = MarkStationCells(record, i); next != AfterLine::GoOn) return next;
    if (i > 1 && SubtractLong(record.inizio_zona, kStationSpacing) < stazione(model_, i - 1).fine_zona)
      return Stop(error_number::kStationsTooClose, p);

    ++station_index_;
    if (station_index_ >= indice_cartello_) return StopKeepingPosition(error_number::kNoStationRecordLeft);
    return AfterLine::GoOn;
  }

  // The seventeen values of a station line, with the tests made between
  // them; the station's length goes to `length`.
  AfterLine ReadStationFields(rec_stazione& record, int32_t* length) {
    const int32_t p = fields_.ReadLong();
    record.progressiva = p;
    if (!FitsRoute(model_, p, kStationMargin)) return OutOfRange(p);
    if (p % kMetresPerCell != 0) return Stop(error_number::kStationOffCell, p);
    record.tipo_stazione = fields_.ReadByte();
    *length = fields_.ReadLong();
    if (*length % 100 != 0) return Stop(error_number::kStationLength, p);
    record.par_1 = fields_.ReadByte();
    record.par_2 = fields_.ReadByte();
    record.par_3 = fields_.ReadByte();
    record.par_4 = fields_.ReadInteger();
    record.par_5 = fields_.ReadInteger();
    record.par_6 = fields_.ReadByte();
    record.par_7 = fields_.ReadInteger();
    record.par_8 = fields_.ReadInteger();
    record.par_9 = fields_.ReadInteger();
    record.sosta = fields_.ReadByte();
    const int32_t hours = fields_.ReadLong();
    const int32_t minutes = fields_.ReadLong();
    const int32_t seconds = fields_.ReadLong();
    record.nome = fields_.ReadText();
    record.orario =
        AddLong(MultiplyLong(AddLong(MultiplyLong(hours, 60), minutes), 60), seconds);
    return AfterLine::GoOn;
  }

  // The station's zone around its position, by its kind; and the flags that
  // a short station or the first one does not keep.
  static void SetStationZone(rec_stazione& record, int32_t i, int32_t length) {
    const int32_t p = record.progressiva;
    const uint8_t t = record.tipo_stazione;
    if (t == 5 || t == 6) {
      record.fine_zona = AddLong(p, 150);
      record.inizio_zona = SubtractLong(p, length);
      record.par_3 = 0;
    } else if (t == 7 || t == 8) {
      record.inizio_zona = SubtractLong(p, length);
      record.fine_zona = AddLong(p, length);
      record.par_3 = 0;
    } else {
      record.inizio_zona = RoundToLong(p - length / 2.0);
      record.fine_zona = record.par_3 != 0 ? RoundToLong(p + length / 2.0 + 50.0)
                                           : RoundToLong(p + length / 2.0);
    }
    if (length < 600) record.par_2 = 0;
    if (i == 1) {
      record.par_3 = 0;
      record.par_2 = 0;
    }
  }

  // The approach marks before the end of the zone and the stop cell of a
  // station of kind below 25.
  AfterLine MarkStationCells(const rec_stazione& record, int32_t i) {
    const uint8_t t = record.tipo_stazione;
    const double last_zone_cell = InCells(record.fine_zona);
    if (t < 25 && t != 5 && t != 6) {
      for (int j = 1; j <= 4; ++j) {
        const double y = last_zone_cell - j - 1;
        if (y > 1) cella(model_, round_half_even(y)).avviso = static_cast<uint8_t>(80 + j);
      }
    }
    if (t < 25) {
      const double y = last_zone_cell - 1;
      if (y <= 1) return StopKeepingPosition(error_number::kStationZoneAtRouteStart);
      rec_cella& stop_cell = cella(model_, round_half_even(y));
      stop_cell.tipo_cella = tipo::fermata_stazione;
      stop_cell.valore_1 = Low16(i);
    }
    return AfterLine::GoOn;
  }

  void Close() {
    source_.CloseAndDelete();
    // The last value of each kind holds to the end of the route, short of
    // its last three cells.
    const int64_t end = int64_t{model_.ultima_cella} - 2;
    do {
      cella(model_, speed_.index).velocita_limite = SpeedFifth(speed_.previous);
      ++speed_.index;
    } while (speed_.index < end);
    do {
      cella(model_, adhesion_.index).aderenza = AdhesionByte(adhesion_.previous);
      ++adhesion_.index;
    } while (adhesion_.index < end);
    // The line's kilometric progressives must fall on whole cells.
    for (int r : {kRecordProgressivaTre, kRecordProgressivaDue, kRecordProgressivaUno}) {
      const rec_stazione& progressive = stazione(model_, r);
      if (progressive.inizio_zona % kMetresPerCell != 0 || progressive.fine_zona % kMetresPerCell != 0)
        model_.codice_errore = error_number::kProgressiveOffCell;
    }
  }

  ScenarioModel& model_;
  OpenSource& source_;
  FieldStream& fields_;
  const int32_t indice_cartello_;
  int32_t station_index_ = 1;
  StepFill speed_;
  StepFill adhesion_;
};

}  // namespace

void ReadTrainService(ScenarioModel& model, const Workspace& workspace, int32_t indice_cartello,
                      ReadingPlace* place) {
  OpenSource source(workspace, TrainSourceName(model.nome_linea, model.numero_treno), place);
  TrainServiceReading(model, source, indice_cartello).Run();
}

}  // namespace scenario
