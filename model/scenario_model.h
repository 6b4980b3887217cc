// The scenario model as plain data: the station table, the route cells, the
// plan of the track, the error slot, the file names.
//
// The scenario model: the whole state of one compactor run, as plain data.
// Every operation reads and writes these fields directly.
//
// Naming. Italian names are kept for what mirrors the system's own records,
// fields, procedures and their variables, so that the code reads against
// the system's description; everything else is named in English, in one
// style (types and functions CamelCase, variables snake_case, constants
// kCamelCase). The same thing keeps one name within a file, and
// out-parameters are pointers, last (the placements alone take some values
// by reference, as the system's own procedures do). The Italian names, once:
//   records      rec_stazione (station record), rec_cella (route cell),
//                PuntoTracciato (plan point)
//   model        stazioni (station table), percorso (route cells), tracciato
//                (track plan, a point per metre), montagne_inizio/_fine
//                (mountains), numero_montagne, compila_linea (compute the
//                plan), indice_j, numero_treno (train number), nome_linea
//                (line name), lunghezza_estesa (route length + 7000 m),
//                ultima_cella (last route cell), codice_errore /
//                posizione_errore (the error slot: number and metres)
//   fields       tipo_stazione, inizio_zona / fine_zona (zone start / end),
//                progressiva (position), nome, par_1..par_9, sosta (stop),
//                orario (time), tipo_cella, valore_1..4, tempo_segnale,
//                avviso (approach mark), montagna, velocita_limite,
//                pendenza (gradient), aderenza (adhesion)
//   cell kinds   tipo::libera (free), segnale (signal), inizio/fine/
//                avviso_rallentamento (slowdown start/end/warning board),
//                prima_dell_avviso, indicatore_v_max, fermata_stazione,
//                marcatore_montagna, cambio_codice(_abbattimento) (code
//                change), cartello (indication board)
//   procedures   memorizza_percorso (the compile run), memorizza_dati (both
//                readers), memo_segnale, memo_rallentamento, memo_montagna,
//                memo_indicatori_v_max (placements), progressive_ordina,
//                errore, codice_gara_st / codice_gara_og (check codes),
//                dati_linea, dati_treno, ... (the source writers)
//   variables    riga (the keyword field read last), posizione, inizio,
//                indice_cartello (next board caption record), numero (an
//                error number), and the one-letter values of the readers'
//                descriptions (p, x, v, l, ...)
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace scenario {

// One record of the station table. Fields are in the order of the compiled
// station file.
struct rec_stazione {
  uint8_t tipo_stazione = 0;
  int32_t inizio_zona = 0;
  int32_t fine_zona = 0;
  int32_t progressiva = 0;
  uint8_t par_1 = 0;
  std::string nome;
  int16_t par_4 = 0;
  int16_t par_5 = 0;
  int16_t par_7 = 0;
  int16_t par_8 = 0;
  int16_t par_9 = 0;
  uint8_t par_6 = 0;
  uint8_t sosta = 0;
  uint8_t par_3 = 0;
  uint8_t par_2 = 0;
  int32_t orario = 0;

  bool operator==(const rec_stazione&) const = default;
};

// One route cell: 50 m of route. Fields are in the order of the compiled
// cell file.
struct rec_cella {
  uint8_t tipo_cella = 0;
  int16_t valore_1 = 0;
  int16_t valore_2 = 0;
  int16_t valore_3 = 0;
  int16_t valore_4 = 0;
  uint8_t tempo_segnale = 0;
  uint8_t avviso = 0;
  uint8_t montagna = 0;
  uint8_t velocita_limite = 0;
  uint8_t pendenza = 0;
  uint8_t aderenza = 0;

  bool operator==(const rec_cella&) const = default;
};

// Kinds of tipo_cella.
namespace tipo {
inline constexpr uint8_t libera = 0;
inline constexpr uint8_t segnale = 1;
inline constexpr uint8_t fine_rallentamento = 2;
inline constexpr uint8_t inizio_rallentamento = 3;
inline constexpr uint8_t avviso_rallentamento = 4;
inline constexpr uint8_t prima_dell_avviso = 5;
inline constexpr uint8_t indicatore_v_max = 6;
inline constexpr uint8_t fermata_stazione = 10;
inline constexpr uint8_t marcatore_montagna = 11;
inline constexpr uint8_t cambio_codice = 12;
inline constexpr uint8_t cambio_codice_abbattimento = 13;
inline constexpr uint8_t cartello = 14;
}  // namespace tipo

// A cell is taken when it holds anything but a free cell or a mountain
// marker; only a cell that is not taken may be claimed.
inline bool cella_occupata(const rec_cella& cella) {
  return cella.tipo_cella != tipo::libera && cella.tipo_cella != tipo::marcatore_montagna;
}

// A point coordinate of the track plan. Its type is part of the compiled
// line file: each element is written with its type code.
enum class ValueType : uint16_t { Empty = 0, Integer = 2, Double = 5 };

struct TaggedValue {
  ValueType type = ValueType::Empty;
  int16_t integer = 0;  // meaningful when type is Integer
  double real = 0.0;    // meaningful when type is Double

  static TaggedValue Integer(int16_t value) { return {ValueType::Integer, value, 0.0}; }
  static TaggedValue Double(double value) { return {ValueType::Double, 0, value}; }
  // The value as a real, whatever its type (Empty reads as 0).
  double AsReal() const {
    switch (type) {
      case ValueType::Integer: return integer;
      case ValueType::Double: return real;
      case ValueType::Empty: break;
    }
    return 0.0;
  }
  bool operator==(const TaggedValue&) const = default;
};

// Point x of the plan: column 0 and column 1.
using PuntoTracciato = std::array<TaggedValue, 2>;

// The plan of the track, one point per metre, x = 0 to lunghezza_estesa, each
// point two tagged values (columns 0 and 1).
//
// The line reader seeds points 0 and 1 and then computes the points one
// after another from metre 2 upward, each a pair of Doubles; every point it
// never reaches stays Empty. The plan is held in that shape: its number of
// points, the two seed points, and the computed coordinates as plain doubles
// (point x is element x - 2). Nothing is filled when the plan is allocated:
// room for every point is set aside, and memory is touched only as points
// are computed.
class Tracciato {
 public:
  Tracciato() = default;
  Tracciato(const Tracciato& other) { *this = other; }
  Tracciato(Tracciato&& other) noexcept { *this = std::move(other); }
  Tracciato& operator=(const Tracciato& other) {
    if (this == &other) return *this;
    Alloca(other.points_);
    semi_ = other.semi_;
    std::copy(other.x_.get(), other.x_.get() + other.calcolati_, x_.get());
    std::copy(other.y_.get(), other.y_.get() + other.calcolati_, y_.get());
    calcolati_ = other.calcolati_;
    return *this;
  }
  // The plan moved from has no points and no memory.
  Tracciato& operator=(Tracciato&& other) noexcept {
    if (this == &other) return *this;
    points_ = std::exchange(other.points_, 0);
    semi_ = std::exchange(other.semi_, {});
    calcolati_ = std::exchange(other.calcolati_, 0);
    room_ = std::exchange(other.room_, 0);
    x_ = std::move(other.x_);
    y_ = std::move(other.y_);
    return *this;
  }

  // The number of points, lunghezza_estesa + 1; 0 while never allocated.
  size_t size() const { return points_; }
  bool empty() const { return points_ == 0; }

  // Allocated anew with `points` points, every one Empty. The memory of an
  // earlier plan is used again when it is large enough.
  void Alloca(size_t points) {
    const size_t computable = points > 2 ? points - 2 : 0;
    if (computable > room_) {
      x_.reset();
      y_.reset();
      room_ = 0;
#ifdef __cpp_lib_smart_ptr_for_overwrite
      x_ = std::make_unique_for_overwrite<double[]>(computable);
      y_ = std::make_unique_for_overwrite<double[]>(computable);
#else
      // A standard library without it (Emscripten's): the same allocation,
      // its values left unset.
      x_.reset(new double[computable]);
      y_.reset(new double[computable]);
#endif
      room_ = computable;
    }
    points_ = points;
    semi_ = {};
    calcolati_ = 0;
  }
  // Never allocated again: no points. The memory is kept for a later Alloca.
  void Libera() {
    points_ = 0;
    semi_ = {};
    calcolati_ = 0;
  }

  // Seed point x, 0 or 1 (x < size()).
  PuntoTracciato& seme(size_t x) { return semi_[x]; }
  const PuntoTracciato& seme(size_t x) const { return semi_[x]; }

  // The number of computed points: points 2 to 1 + calcolati() hold Doubles.
  size_t calcolati() const { return calcolati_; }
  // Stores the computed point x (2 <= x < size()): a point computed before,
  // or the one right after them. Any other x would leave a gap: it is
  // refused (std::out_of_range).
  void Poni(size_t x, double first, double second) {
    if (x < 2 || x >= points_ || x - 2 > calcolati_) [[unlikely]]
      NoRoomFor(x);
    const size_t i = x - 2;
    x_[i] = first;
    y_[i] = second;
    if (i == calcolati_) ++calcolati_;
  }
  // The computed coordinates, point 2 first.
  std::span<const double> colonna_0() const { return {x_.get(), calcolati_}; }
  std::span<const double> colonna_1() const { return {y_.get(), calcolati_}; }

  // Point x (x < size()) as the two tagged values it holds.
  PuntoTracciato operator[](size_t x) const {
    if (x < 2) return semi_[x];
    if (x - 2 < calcolati_) return {TaggedValue::Double(x_[x - 2]), TaggedValue::Double(y_[x - 2])};
    return {};
  }
  // One coordinate of point x (x < size()) as a real; Empty reads as 0.
  double Reale(size_t x, int colonna) const {
    if (x < 2) return semi_[x][colonna].AsReal();
    if (x - 2 < calcolati_) return colonna == 0 ? x_[x - 2] : y_[x - 2];
    return 0.0;
  }

  bool operator==(const Tracciato& other) const {
    return points_ == other.points_ && semi_ == other.semi_ && calcolati_ == other.calcolati_ &&
           std::equal(x_.get(), x_.get() + calcolati_, other.x_.get()) &&
           std::equal(y_.get(), y_.get() + calcolati_, other.y_.get());
  }

 private:
  // Kept out of Poni, which runs for every metre of the plan: its message
  // would otherwise give every call a frame to set up.
  [[noreturn, gnu::noinline, gnu::cold]] static void NoRoomFor(size_t x) {
    throw std::out_of_range("no room for plan point " + std::to_string(x));
  }

  size_t points_ = 0;
  std::array<PuntoTracciato, 2> semi_{};
  size_t calcolati_ = 0;
  // Room for so many computed points.
  size_t room_ = 0;
  std::unique_ptr<double[]> x_;
  std::unique_ptr<double[]> y_;
};

inline constexpr int kNumeroStazioni = 87;    // records 0 to 86
inline constexpr int kNumeroMontagne = 81;    // mountain records 0 to 80

// Fixed roles of station records.
inline constexpr int kPrimoCartello = 80;       // first board caption, then downward
inline constexpr int kRecordProgressivaTre = 81;
inline constexpr int kRecordProgressivaDue = 82;
inline constexpr int kRecordProgressivaUno = 83;
inline constexpr int kRecordDatiGenerali = 84;
inline constexpr int kRecordScenario = 85;
inline constexpr int kRecordTreno = 86;

struct ScenarioModel {
  // Plan of the track, one point per metre, x = 0 to lunghezza_estesa.
  // Empty until the line reader allocates it (only when compila_linea != 0).
  Tracciato tracciato;
  // Route cells 0 to ultima_cella; empty until the line reader allocates it.
  std::vector<rec_cella> percorso;
  std::array<rec_stazione, kNumeroStazioni> stazioni{};
  std::array<int32_t, kNumeroMontagne> montagne_inizio{};
  std::array<int32_t, kNumeroMontagne> montagne_fine{};
  int32_t numero_montagne = 0;
  int32_t compila_linea = 0;
  // First cell of the four markers before the last slowdown warning stored.
  int32_t indice_j = 0;
  std::string numero_treno;
  std::string nome_linea;
  int32_t lunghezza_estesa = 0;
  int32_t ultima_cella = 0;
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
};

}  // namespace scenario
