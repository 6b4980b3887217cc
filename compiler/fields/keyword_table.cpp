#include "compiler/fields/keyword_table.h"

#include "compiler/fields/error_numbers.h"
#include "compiler/fields/keyword_match.h"

namespace scenario {

namespace {

constexpr ValueKind L = ValueKind::Long;
constexpr ValueKind I = ValueKind::Integer;
constexpr ValueKind B = ValueKind::Byte;
constexpr ValueKind T = ValueKind::Text;

// Each value: its name in messages, its size, then for authors its
// placeholder, unit, range and where the compile stores it.
constexpr ValueSpec kRouteLength[] = {
    {"the route length", L, "length", "m", "0 to 1000000",
     "record 84 fine_zona; sizes the route: cells up to (length + 7000) / 50"}};
constexpr ValueSpec kProgressive[] = {
    {"the route position of the zone", L, "position", "m", "Long; a multiple of 50", "inizio_zona of records 81 to 83"},
    {"the chainage", L, "chainage", "m", "Long; a multiple of 50",
     "fine_zona of records 81 to 83 (plus 100 when the direction is 1)"},
    {"the direction code", L, "direction", "", "Long; 1 when the chainage falls along the route",
     "progressiva of records 81 to 83"}};
constexpr ValueSpec kBackgroundOne[] = {{"the background setting", L, "setting", "", "Long", "record 85 inizio_zona"}};
constexpr ValueSpec kBackgroundTwo[] = {{"the background setting", L, "setting", "", "Long", "record 85 progressiva"}};
constexpr ValueSpec kBackgroundThree[] = {{"the background setting", L, "setting", "", "Long", "record 85 fine_zona"}};
constexpr ValueSpec kCabSignalling[] = {
    {"the start of the stretch", L, "start", "m", "Long; a multiple of 50 (else error 3)", "record 86 inizio_zona"},
    {"the end of the stretch", L, "end", "m", "Long; a multiple of 50 (else error 4); 0 for no stretch",
     "record 86 fine_zona"}};
constexpr ValueSpec kGradient[] = {
    {"the position from which the gradient holds", L, "position", "m", "Long", "first cell round(position / 50)"},
    {"the gradient", L, "gradient", "per mille", "-100 to 155 stored faithfully",
     "pendenza of each cell = gradient + 100, low 8 bits"}};
constexpr ValueSpec kCurve[] = {
    {"the start of the curve", L, "start", "m", "Long", "the plan of the track, one point per metre"},
    {"the length of the curve", L, "length", "m", "Long; the curve ends within the line's length + 7000 m",
     "the plan of the track"}};
constexpr ValueSpec kMountain[] = {
    {"the start", L, "start", "m", "Long", "first cell round(start / 50)"},
    {"the end", L, "end", "m", "Long", "last cell round(end / 50 - 1)"},
    {"the type", L, "type", "", "Long; 0 to 255 (above 10: markers, stored 10 lower)",
     "montagna of every cell of the section"}};
constexpr ValueSpec kIndicator[] = {
    {"posizione", L, "posizione", "m", "Long", "the cell round(posizione / 50 + 1), kind 6"},
    {"vas", L, "vas", "km/h", "Long; a multiple of 5", "valore_1 = vas × 20 + vad / 5"},
    {"vbs", L, "vbs", "km/h", "Long; a multiple of 5", "valore_2 = vbs × 20 + vbd / 5"},
    {"vcs", L, "vcs", "km/h", "Long; a multiple of 5", "valore_3 = vcs × 20 + vcd / 5"},
    {"strisces", L, "strisces", "", "0 to 9", "valore_4 = strisces × 10 + strisced"},
    {"vad", L, "vad", "km/h", "Long; a multiple of 5", "valore_1, see vas"},
    {"vbd", L, "vbd", "km/h", "Long; a multiple of 5", "valore_2, see vbs"},
    {"vcd", L, "vcd", "km/h", "Long; a multiple of 5", "valore_3, see vcs"},
    {"strisced", L, "strisced", "", "0 to 9", "valore_4, see strisces"}};
constexpr ValueSpec kBoard[] = {
    {"the position", L, "position", "m", "Long", "the cell round(position / 50 + 1), kind 14"},
    {"the caption", T, "caption", "text", "up to 65535 bytes; no comma unless in double quotes",
     "nome of a station-table record, 80 for the first board, then downward"}};

constexpr ValueSpec kBrakedMass[] = {{"the braked-mass percentage", L, "percent", "%", "Long", "record 84 inizio_zona"}};
constexpr ValueSpec kCoaches[] = {{"the number of coaches", L, "coaches", "", "Long", "record 84 progressiva"}};
constexpr ValueSpec kSpeedStep[] = {
    {"the position from which the limit holds", L, "position", "m", "Long", "first cell round(position / 50)"},
    {"the speed limit", L, "speed", "km/h", "0 to 1275; a multiple of 5",
     "velocita_limite of each cell = speed / 5, rounded"}};
constexpr ValueSpec kAdhesionStep[] = {
    {"the position from which the value holds", L, "position", "m", "Long", "first cell round(position / 50)"},
    {"the adhesion", L, "adhesion", "", "0 to 255 stored faithfully", "aderenza of each cell, low 8 bits"}};
constexpr ValueSpec kClock[] = {{"the hours", I, "hours", "h", "Integer", "record 86 par_7"},
                                {"the minutes", I, "minutes", "min", "Integer", "record 86 par_8"},
                                {"the seconds", I, "seconds", "s", "Integer", "record 86 par_9"}};
constexpr ValueSpec kSand[] = {{"the sand", I, "sand", "", "Integer", "record 86 par_4"}};
constexpr ValueSpec kSignal[] = {
    {"posizione", L, "posizione", "m", "Long; 350 or more", "the cell round(posizione / 50 + 1), kind 1"},
    {"sx", L, "sx", "", "Long",
     "valore_4 = rapp × 10 + sx × 3 + dx; 2 keeps tempo, any other value drops it; with dx, the code of the "
     "approach marks, avviso (sx × 3 + dx) × 10 + 1 to 4 in the cells 100 to 400 m before"},
    {"s1", L, "s1", "", "Long", "valore_1 = s1 × 10 + d1; stored only"},
    {"s2", L, "s2", "", "Long", "valore_2 = s2 × 10 + d2; stored only"},
    {"s3", L, "s3", "", "Long", "valore_3 = s3 × 10 + d3; stored only"},
    {"rapp", L, "rapp", "", "Long", "the tens of valore_4, see sx; stored only"},
    {"dx", L, "dx", "", "Long", "part of valore_4, see sx; with sx, the code of the approach marks"},
    {"d1", L, "d1", "", "Long", "the units of valore_1, see s1; stored only"},
    {"d2", L, "d2", "", "Long", "the units of valore_2, see s2; stored only"},
    {"d3", L, "d3", "", "Long", "the units of valore_3, see s3; stored only"},
    {"tempo", L, "tempo", "", "Long", "tempo_segnale when sx is 2 (1 to 100 raised to 101), low 8 bits"}};
constexpr ValueSpec kSlowdown[] = {
    {"x, the start", L, "x", "m", "Long", "start cell round(x / 50 + 1), kind 3; warning board 1200 m before"},
    {"v, the speed", L, "v", "km/h", "Long", "valore_1 of the start, end and warning cells"},
    {"l, the length", L, "l", "m", "Long", "end cell round((x + l) / 50 + 1), kind 2"},
    {"f_tt", L, "f_tt", "", "Long", "valore_3 of the start and end cells, low 16 bits; stored only"},
    {"f_ta", L, "f_ta", "", "Long", "0: no marker cells before the warning board"},
    {"d_v", L, "d_v", "", "Long",
     "0 or not 0: when not 0, valore_2 of the start, end and warning cells (low 16 bits) and 1 to 4 in the "
     "marker cells; otherwise stored only"}};
constexpr ValueSpec kCodeChange[] = {
    {"the position", L, "position", "m", "Long",
     "the cell round(position / 50), which begins 50 m before the position"},
    {"the code", L, "code", "", "Long", "above 0: kind 12 with valore_1 = the code; 0 or less: kind 13"}};
constexpr ValueSpec kStation[] = {
    {"the position", L, "position", "m", "Long; a multiple of 50 (else error 8)", "progressiva; the centre of the zone"},
    {"the station kind", B, "kind", "", "Byte", "tipo_stazione; decides the zone, the stop cell and the approach marks"},
    {"the length of the station", L, "length", "m", "Long; a multiple of 100 (else error 9)",
     "the size of the zone (not stored)"},
    {"par_1", B, "par_1", "", "Byte", "par_1, a flag; stored only"},
    {"par_2", B, "par_2", "", "Byte", "par_2, a flag (stored as 0 below 600 m and at the first station); stored only"},
    {"par_3", B, "par_3", "", "Byte", "par_3; not 0: a centred zone reaches 50 m further"},
    {"par_4", I, "par_4", "", "Integer", "par_4; stored only"},
    {"par_5", I, "par_5", "", "Integer", "par_5; stored only"},
    {"par_6", B, "par_6", "", "Byte", "par_6; stored only"},
    {"par_7", I, "par_7", "", "Integer", "par_7; stored only"},
    {"par_8", I, "par_8", "", "Integer", "par_8; stored only"},
    {"par_9", I, "par_9", "", "Integer", "par_9; stored only"},
    {"the stop time sosta", B, "sosta", "", "Byte",
     "sosta, the stop time; stored only: the stop cell, the zone and the marks come from the kind"},
    {"the timetable hours", L, "hours", "h", "Long", "orario = (hours × 60 + minutes) × 60 + seconds"},
    {"the timetable minutes", L, "minutes", "min", "Long", "orario, see the hours"},
    {"the timetable seconds", L, "seconds", "s", "Long", "orario, see the hours"},
    {"the name", T, "name", "text", "up to 65535 bytes; no comma unless in double quotes", "nome"}};

constexpr SourceFile kLine = SourceFile::LineDescription;
constexpr SourceFile kTrain = SourceFile::TrainService;
constexpr FirstValue kPlace = FirstValue::Place;
constexpr FirstValue kSetting = FirstValue::Setting;

constexpr const char* kProgressiveSummary =
    "A kilometric progressive zone: where the line's chainage is given. Lower case exactly.";
constexpr const char* kBackgroundSummary = "A background setting for the simulator. Lower case exactly.";

}  // namespace

namespace keyword {
const KeywordSpec kLunghezzaPercorso{kLine, "lunghezza percorso", kRouteLength, kSetting, "generale",
    "The length of the line: sizes the route (one cell per 50 m, plus a run-out of 7000 m) and the plan of the track."};
const KeywordSpec kProgressivaTre{kLine, "progressiva chilometrica tre", kProgressive, kSetting, "generale",
                                  kProgressiveSummary};
const KeywordSpec kProgressivaDue{kLine, "progressiva chilometrica due", kProgressive, kSetting, "generale",
                                  kProgressiveSummary};
const KeywordSpec kProgressivaUno{kLine, "progressiva chilometrica uno", kProgressive, kSetting, "generale",
                                  kProgressiveSummary};
const KeywordSpec kSfondoUno{kLine, "sfondo uno", kBackgroundOne, kSetting, "generale", kBackgroundSummary};
const KeywordSpec kSfondoDue{kLine, "sfondo due", kBackgroundTwo, kSetting, "generale", kBackgroundSummary};
const KeywordSpec kSfondoTre{kLine, "sfondo tre", kBackgroundThree, kSetting, "generale", kBackgroundSummary};
const KeywordSpec kRipetizioneSegnali{kLine, "ripetizione segnali 4 codici", kCabSignalling, kSetting, "generale",
    "The stretch equipped for cab signalling; the digit in the keyword (4 or 9) is its number of codes."};
const KeywordSpec kPendenza{kLine, "pendenza", kGradient, kPlace, "pendenze",
    "A gradient step: the gradient holds from its position up to the next `pendenza` line."};
const KeywordSpec kCurva{kLine, "curvas3", kCurve, kPlace, "curve",
    "A curve: `curvas` turns left, `curvad` right; the digit 1 to 6 is its class (1: radius about 10000 m, 6: about "
    "333 m)."};
const KeywordSpec kMontagna{kLine, "montagna", kMountain, kPlace, "montagne", "A mountain section."};
const KeywordSpec kIndicatoriVmax{kLine, "indicatori_vmax", kIndicator, kPlace, "cartelli",
    "A maximum-speed indicator: two sets of three speeds, each with a stripe count."};
const KeywordSpec kCartelloIndicatore{kLine, "cartello_indicatore", kBoard, kPlace, "indicazioni",
    "An indication board beside the track, with its caption."};
const KeywordSpec kMassaFrenata{kTrain, "percentuale massa frenata", kBrakedMass, kSetting, "generale",
    "The braked-mass percentage of the train."};
const KeywordSpec kNumeroVetture{kTrain, "numero vetture", kCoaches, kSetting, "generale", "The number of coaches."};
const KeywordSpec kVelocita{kTrain, "velocita", kSpeedStep, kPlace, "vel_limite",
    "A speed-limit step: the limit holds from its position up to the next `velocita` line."};
const KeywordSpec kAderenza{kTrain, "aderenza", kAdhesionStep, kPlace, "aderenze",
    "An adhesion step: the value holds from its position up to the next `aderenza` line."};
const KeywordSpec kOrologio{kTrain, "orologio", kClock, kSetting, "generale",
    "The clock at the start of the run; the values may be separated by blanks alone."};
const KeywordSpec kSabbia{kTrain, "sabbia", kSand, kSetting, "generale", "The sand of the train."};
const KeywordSpec kSegnale{kTrain, "segnale", kSignal, kPlace, "segnali",
    "A signal: its eleven values are stored, combined, in its cell; approach marks go 100 to 400 m before it."};
const KeywordSpec kRallentamento{kTrain, "rallentamento", kSlowdown, kPlace, "rallentamenti",
    "A temporary slowdown, with its warning board 1200 m before its start."};
const KeywordSpec kAbbattimento{kTrain, "abbattimento", kCodeChange, kPlace, "codici",
    "A code-change point of the cab signalling, with the code that applies from there."};
const KeywordSpec kStazione{kTrain, "stazione", kStation, kPlace, "stazioni",
    "A station (or a transit point) with its timetable; stations go in order of position."};
}  // namespace keyword

std::span<const KeywordSpec* const> AllKeywords() {
  static const KeywordSpec* const all[] = {
      &keyword::kLunghezzaPercorso, &keyword::kProgressivaTre,     &keyword::kProgressivaDue,
      &keyword::kProgressivaUno,    &keyword::kSfondoUno,          &keyword::kSfondoDue,
      &keyword::kSfondoTre,         &keyword::kRipetizioneSegnali, &keyword::kPendenza,
      &keyword::kCurva,             &keyword::kMontagna,           &keyword::kIndicatoriVmax,
      &keyword::kCartelloIndicatore, &keyword::kMassaFrenata,      &keyword::kNumeroVetture,
      &keyword::kVelocita,          &keyword::kAderenza,           &keyword::kOrologio,
      &keyword::kSabbia,            &keyword::kSegnale,            &keyword::kRallentamento,
      &keyword::kAbbattimento,      &keyword::kStazione};
  return all;
}

const KeywordSpec* RecogniseKeyword(SourceFile file, std::string_view field) {
  using keyword::kCartelloIndicatore, keyword::kIndicatoriVmax;
  if (file == SourceFile::LineDescription) {
    if (ContainsIgnoringCase(field, "percorso") && ContainsIgnoringCase(field, "lunghezza"))
      return &keyword::kLunghezzaPercorso;
    if (Contains(field, "progressiva")) {
      if (Contains(field, "tre")) return &keyword::kProgressivaTre;
      if (Contains(field, "due")) return &keyword::kProgressivaDue;
      if (Contains(field, "uno")) return &keyword::kProgressivaUno;
    }
    if (Contains(field, "sfondo")) {
      if (Contains(field, "uno")) return &keyword::kSfondoUno;
      if (Contains(field, "due")) return &keyword::kSfondoDue;
      if (Contains(field, "tre")) return &keyword::kSfondoTre;
    }
    if (Contains(field, "segnali") && Contains(field, "ripetizione")) return &keyword::kRipetizioneSegnali;
    if (ContainsIgnoringCase(field, "pendenza")) return &keyword::kPendenza;
    if (ContainsIgnoringCase(field, "curva")) return &keyword::kCurva;
    if (ContainsIgnoringCase(field, "montagna")) return &keyword::kMontagna;
    if (ContainsIgnoringCase(field, "indicatori_v")) return &kIndicatoriVmax;
    if (ContainsIgnoringCase(field, "indicat") && ContainsIgnoringCase(field, "cartello")) return &kCartelloIndicatore;
    return nullptr;
  }
  if (ContainsIgnoringCase(field, "frenata") && ContainsIgnoringCase(field, "massa")) return &keyword::kMassaFrenata;
  if (ContainsIgnoringCase(field, "vetture")) return &keyword::kNumeroVetture;
  if (ContainsIgnoringCase(field, "velocit")) return &keyword::kVelocita;
  if (ContainsIgnoringCase(field, "aderenza")) return &keyword::kAderenza;
  if (ContainsIgnoringCase(field, "orologio")) return &keyword::kOrologio;
  if (ContainsIgnoringCase(field, "sabbia")) return &keyword::kSabbia;
  if (ContainsIgnoringCase(field, "segnale")) return &keyword::kSegnale;
  if (ContainsIgnoringCase(field, "rallentamento")) return &keyword::kRallentamento;
  if (ContainsIgnoringCase(field, "abbattimento")) return &keyword::kAbbattimento;
  if (ContainsIgnoringCase(field, "stazione")) return &keyword::kStazione;
  return nullptr;
}

std::string SizeText(ValueKind kind) {
  switch (kind) {
    case ValueKind::Long: return "a Long, -2147483648 to 2147483647";
    case ValueKind::Integer: return "an Integer, -32768 to 32767";
    case ValueKind::Byte: return "a Byte, 0 to 255";
    case ValueKind::Text: return "a text";
  }
  return "";
}

std::optional<CurveKeyword> ReadCurveKeyword(std::string_view field) {
  for (char digit = '1'; digit <= '6'; ++digit)
    if (Contains(field, std::string_view(&digit, 1)))
      return CurveKeyword{digit - '0', ContainsIgnoringCase(field, "s")};
  return std::nullopt;
}

int CabSignallingCodes(std::string_view field) {
  if (Contains(field, "4")) return 4;
  if (Contains(field, "9")) return 9;
  return 0;
}

std::string KeywordMeaning(const KeywordSpec& spec, std::string_view field) {
  if (&spec == &keyword::kCurva) {
    const std::optional<CurveKeyword> curve = ReadCurveKeyword(field);
    if (!curve)
      return "a curve without a class: the keyword holds no digit 1 to 6, and the reading stops with error " +
             std::to_string(error_number::kCurve);
    return std::string("a ") + (curve->left ? "left" : "right") + " curve of class " + std::to_string(curve->classe);
  }
  if (&spec == &keyword::kRipetizioneSegnali) {
    const int codes = CabSignallingCodes(field);
    if (codes == 0)
      return "cab signalling without a number of codes: the keyword holds neither 4 nor 9, and the reading stops "
             "with error " + std::to_string(error_number::kCabSignallingCodes);
    return "cab signalling with " + std::to_string(codes) + " codes";
  }
  return "";
}

}  // namespace scenario
