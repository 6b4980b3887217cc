#include "compiler/readers/signal_placement.h"

#include "compiler/fields/arithmetic.h"
#include "compiler/fields/error_numbers.h"
#include "compiler/fields/model_access.h"
#include "compiler/fields/reading_rules.h"

namespace scenario {

namespace {

// a × 10 + b in 32 bits.
int32_t TensAndUnits(int32_t a, int32_t b) { return AddLong(MultiplyLong(a, 10), b); }

}  // namespace

void memo_segnale(ScenarioModel& model, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2,
                  int32_t& s3, int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3,
                  int32_t& tempo) {
  const int64_t k = round_half_even(InCells(posizione) + 1);
  rec_cella& segnale = cella(model, k);
  if (cella_occupata(segnale)) {
    model.codice_errore = error_number::kSignalCellTaken;
    return;
  }

  // Each value is computed right before its field is written, so a value
  // that overflows leaves the fields before it written.
  segnale.tipo_cella = tipo::segnale;
  segnale.valore_4 = Low16(AddLong(AddLong(MultiplyLong(rapp, 10), MultiplyLong(sx, 3)), dx));
  segnale.valore_1 = Low16(TensAndUnits(s1, d1));
  segnale.valore_2 = Low16(TensAndUnits(s2, d2));
  segnale.valore_3 = Low16(TensAndUnits(s3, d3));

  if (tempo >= 1 && tempo <= 100) tempo = 101;
  segnale.tempo_segnale = sx == 2 ? Low8(tempo) : 0;

  // Approach marks 100, 200, 300 and 400 m before the signal's cell, written
  // whatever the cell holds; only `avviso` changes.
  for (int32_t n = 1; n <= 4; ++n) {
    const int32_t codice = AddLong(MultiplyLong(AddLong(MultiplyLong(sx, 3), dx), 10), n);
    cella(model, k - 2 * n).avviso = Low8(codice);
  }
}

}  // namespace scenario
