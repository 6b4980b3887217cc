#include "compiler/readers/slowdown_placement.h"

#include "compiler/fields/arithmetic.h"
#include "compiler/fields/error_numbers.h"
#include "compiler/fields/model_access.h"
#include "compiler/fields/reading_rules.h"

namespace scenario {

namespace {

// Slowdowns starting at this position or before it have no warning board.
constexpr int32_t kLastPositionWithoutWarningBoard = 1500;
// Distance of the warning board before the slowdown's start, metres.
constexpr double kWarningBoardDistance = 1200.0;

}  // namespace

void memo_rallentamento(ScenarioModel& model, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt,
                        int32_t f_ta, int32_t& d_v) {
  const double inizio = x;
  const int64_t a = round_half_even(InCells(inizio - kWarningBoardDistance) + 1);
  const int64_t s = round_half_even(InCells(inizio) + 1);
  const int64_t e = round_half_even(InCells(inizio + l) + 1);
  const int32_t w = RoundToLong(InCells(inizio - kWarningBoardDistance));

  const bool con_avviso = x > kLastPositionWithoutWarningBoard;
  if (!con_avviso) f_ta = 0;

  if (con_avviso && cella_occupata(cella(model, a))) {
    model.codice_errore = error_number::kWarningBoardCellTaken;
    return;
  }
  if (cella_occupata(cella(model, s))) {
    model.codice_errore = error_number::kSlowdownStartCellTaken;
    return;
  }
  if (cella_occupata(cella(model, e))) {
    model.codice_errore = error_number::kSlowdownEndCellTaken;
    return;
  }

  rec_cella& fine = cella(model, e);
  fine.tipo_cella = tipo::fine_rallentamento;
  if (d_v != 0) fine.valore_2 = Low16(d_v);

  rec_cella& partenza = cella(model, s);
  partenza.tipo_cella = tipo::inizio_rallentamento;
  if (d_v != 0) partenza.valore_2 = Low16(d_v);

  if (con_avviso) {
    rec_cella& avviso = cella(model, a);
    avviso.tipo_cella = tipo::avviso_rallentamento;
    if (d_v != 0) avviso.valore_2 = Low16(d_v);
    avviso.valore_1 = Low16(v);
  }

  // When start and end share a cell, these writes land on the same cell.
  cella(model, s).valore_1 = Low16(v);
  cella(model, e).valore_1 = Low16(v);
  cella(model, s).valore_3 = Low16(f_tt);
  cella(model, e).valore_3 = Low16(f_tt);

  model.indice_j = w;

  if (f_ta == 0) return;

  bool occupato = false;
  for (int32_t n = 0; n <= 3; ++n) {
    if (cella_occupata(cella(model, int64_t{w} - n))) occupato = true;
  }
  if (occupato) {
    model.codice_errore = error_number::kCellsBeforeWarningBoardTaken;
    return;
  }

  for (int32_t n = 0; n <= 3; ++n) {
    rec_cella& marcatore = cella(model, int64_t{w} - n);
    marcatore.tipo_cella = tipo::prima_dell_avviso;
    marcatore.valore_1 = static_cast<int16_t>(n + 1);
    if (d_v != 0) marcatore.valore_2 = static_cast<int16_t>(n + 1);
  }
}

}  // namespace scenario
