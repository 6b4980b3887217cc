// Checked access to the model's arrays for the readers and the placement
// operations: an index outside an array is a RuntimeFailure, never a read or
// write outside it.
#pragma once

#include <cstdint>

#include "model/scenario_model.h"

namespace scenario {

// Route cell k of `percorso`; fails when the route was never allocated or k
// lies outside 0..ultima_cella.
rec_cella& cella(ScenarioModel& model, int64_t k);
// Station record i, 0..86.
rec_stazione& stazione(ScenarioModel& model, int64_t i);
// Seed point x (0 or 1) of `tracciato`; fails outside 0..lunghezza_estesa.
PuntoTracciato& seme(ScenarioModel& model, int64_t x);

// The route cells the readers reach through cella() on this thread while it
// lives, for a tool that notes what each line changes without comparing the
// whole route after every line. Nothing it notes changes what is read.
class CellReach {
 public:
  CellReach();
  ~CellReach();
  CellReach(const CellReach&) = delete;
  CellReach& operator=(const CellReach&) = delete;

  // The cells reached since the last call, low and high included; false
  // when none was.
  bool Take(int64_t* low, int64_t* high);
  void Note(int64_t k) {
    if (k < low_) low_ = k;
    if (k > high_) high_ = k;
  }

 private:
  int64_t low_;
  int64_t high_;
  CellReach* outer_;
};

}  // namespace scenario
