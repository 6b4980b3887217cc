#include "compiler/cell_rules.h"

#include <cstddef>
#include <vector>

#include "compiler/fields/error_numbers.h"
#include "compiler/fields/reading_rules.h"

namespace scenario {

namespace {

// The code that the rules give to the code changes they place.
constexpr int16_t kCodice = 180;
// Slowdowns below this speed get code changes along them and after them.
constexpr int16_t kVelocitaLenta = 110;
// How far before a warning board signals are looked for, and the nearest
// cell to the route's start at which one is still looked at.
constexpr int64_t kRitrosegnali = 20;
constexpr int64_t kPrimaCellaSegnale = 3;
// The three windows of code changes before a slowdown start: nearest cell
// first; each applies only when the start lies beyond its farthest cell.
constexpr int64_t kFinestre[3][3] = {{5, 6, 7}, {11, 12, 13}, {18, 19, 20}};
// Spacing of the code changes along a slow slowdown.
constexpr int32_t kPasso = 8;
// How far after a slow slowdown's end the first signal is looked for.
constexpr int64_t kRicercaSegnale = 12;

// The route as the rules see it: cells 0..ultima; a cell outside that range
// is never touched and counts as taken.
class Percorso {
 public:
  explicit Percorso(std::vector<rec_cella>& celle)
      : celle_(celle), ultima_(static_cast<int64_t>(celle.size()) - 1) {}

  int64_t ultima() const { return ultima_; }
  bool dentro(int64_t n) const { return n >= 0 && n <= ultima_; }
  rec_cella& operator[](int64_t n) { return celle_[static_cast<size_t>(n)]; }

  bool libera(int64_t n) const {
    return dentro(n) && !cella_occupata(celle_[static_cast<size_t>(n)]);
  }
  bool di_tipo(int64_t n, uint8_t tipo_cella) const {
    return dentro(n) && celle_[static_cast<size_t>(n)].tipo_cella == tipo_cella;
  }

  void metti_cambio_codice(int64_t n) {
    rec_cella& c = celle_[static_cast<size_t>(n)];
    c.tipo_cella = tipo::cambio_codice;
    c.valore_1 = kCodice;
  }
  void abbassa_codice(int64_t n) {
    rec_cella& c = celle_[static_cast<size_t>(n)];
    c.valore_1 = static_cast<int16_t>(minimo(kCodice, c.valore_1));
  }

 private:
  std::vector<rec_cella>& celle_;
  int64_t ultima_;
};

void RecordError(ScenarioModel& model, int32_t numero, int64_t cella) {
  model.codice_errore = numero;
  model.posizione_errore = static_cast<int32_t>(cella * kMetresPerCell);
}

// Rule A: every signal within the 20 cells before a warning board at i wants
// a code change one or two cells before it.
void SegnaliPrimaDellAvviso(ScenarioModel& model, Percorso& percorso, int64_t i) {
  for (int64_t k = 1; k <= kRitrosegnali; ++k) {
    const int64_t j = i - k;
    if (j < kPrimaCellaSegnale) break;
    if (!percorso.di_tipo(j, tipo::segnale)) continue;
    if (percorso.libera(j - 1)) {
      percorso.metti_cambio_codice(j - 1);
    } else if (percorso.libera(j - 2)) {
      percorso.metti_cambio_codice(j - 2);
    } else if (percorso.di_tipo(j - 1, tipo::cambio_codice)) {
      percorso.abbassa_codice(j - 1);
    } else if (percorso.di_tipo(j - 2, tipo::cambio_codice)) {
      percorso.abbassa_codice(j - 2);
    } else {
      RecordError(model, error_number::kSignalBeforeWarningBoard, j);
    }
  }
}

// Rule B1: a code change in each of the three windows before a slowdown
// start at i, on the first free cell of the window.
void FinestrePrimaDellInizio(ScenarioModel& model, Percorso& percorso, int64_t i) {
  for (const auto& finestra : kFinestre) {
    if (i <= finestra[2]) continue;
    bool posto = false;
    for (int64_t distanza : finestra) {
      if (percorso.libera(i - distanza)) {
        percorso.metti_cambio_codice(i - distanza);
        posto = true;
        break;
      }
    }
    if (!posto) RecordError(model, error_number::kNoCellBeforeSlowdown, i);
  }
}

// Rule B2: a code change every 8 cells along a slow slowdown that starts at
// i. Returns the slowdown's end cell, or -1 when the scan reached the last
// cell of the route without meeting one.
int64_t LungoIlRallentamento(ScenarioModel& model, Percorso& percorso, int64_t i) {
  int32_t contatore = 0;
  int64_t k = i;
  while (k < percorso.ultima()) {
    ++k;
    ++contatore;
    if (contatore == kPasso) {
      if (percorso.libera(k)) {
        percorso.metti_cambio_codice(k);
        contatore = 0;
      } else if (percorso.libera(k - 1)) {
        percorso.metti_cambio_codice(k - 1);
        contatore = 1;
      } else if (percorso.libera(k + 1)) {
        percorso.metti_cambio_codice(k + 1);
        contatore = -1;
      } else {
        // The count then only grows: no further code change along it.
        RecordError(model, error_number::kNoCellAlongSlowdown, k);
      }
    }
    if (percorso.di_tipo(k, tipo::fine_rallentamento)) return k;
  }
  return -1;
}

// Rule B3: a code change before the first signal within 12 cells after a
// slow slowdown's end cell m.
void DopoLaFine(ScenarioModel& model, Percorso& percorso, int64_t m) {
  const int64_t ultima_ricerca = m + kRicercaSegnale < percorso.ultima() ? m + kRicercaSegnale
                                                                         : percorso.ultima();
  int64_t s = -1;
  for (int64_t n = m; n <= ultima_ricerca; ++n) {
    if (percorso.di_tipo(n, tipo::segnale)) {
      s = n;
      break;
    }
  }
  if (s < 0 || s - 1 <= 0) return;
  const int64_t p = s - 1;
  if (percorso.libera(p)) {
    percorso.metti_cambio_codice(p);
  } else if (percorso.libera(p - 1)) {
    percorso.metti_cambio_codice(p - 1);
  } else {
    RecordError(model, error_number::kNoCellAlongSlowdown, m);
  }
}

}  // namespace

void ApplyCellRules(ScenarioModel& model) {
  // The route's own size bounds every access, whatever ultima_cella says.
  Percorso percorso(model.percorso);
  for (int64_t i = 1; i <= percorso.ultima() - 2; ++i) {
    switch (percorso[i].tipo_cella) {
      case tipo::avviso_rallentamento:
        SegnaliPrimaDellAvviso(model, percorso, i);
        break;
      case tipo::inizio_rallentamento:
        FinestrePrimaDellInizio(model, percorso, i);
        if (percorso[i].valore_1 < kVelocitaLenta) {
          const int64_t fine = LungoIlRallentamento(model, percorso, i);
          if (fine >= 0) DopoLaFine(model, percorso, fine);
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace scenario
