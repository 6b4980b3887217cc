#include "tools/lsp/keyword_reference.h"

#include <vector>

namespace scenario::lsp {

namespace {

using C = Conversion;

constexpr ValueReference kRouteLength[] = {
    {"length", "m", "0 to 1000000", "record 84 fine_zona; sizes the route: cells up to (length + 7000) / 50", C::None}};
constexpr ValueReference kProgressive[] = {
    {"position", "m", "Long; a multiple of 50", "inizio_zona of records 81 to 83", C::None},
    {"chainage", "m", "Long; a multiple of 50", "fine_zona of records 81 to 83 (plus 100 when the direction is 1)", C::None},
    {"direction", "", "Long; 1 when the chainage falls along the route", "progressiva of records 81 to 83", C::None}};
constexpr ValueReference kBackgroundOne[] = {{"setting", "", "Long", "record 85 inizio_zona", C::None}};
constexpr ValueReference kBackgroundTwo[] = {{"setting", "", "Long", "record 85 progressiva", C::None}};
constexpr ValueReference kBackgroundThree[] = {{"setting", "", "Long", "record 85 fine_zona", C::None}};
constexpr ValueReference kCabSignalling[] = {
    {"start", "m", "Long; a multiple of 50 (else error 3)", "record 86 inizio_zona", C::None},
    {"end", "m", "Long; a multiple of 50 (else error 4); 0 for no stretch", "record 86 fine_zona", C::None}};
constexpr ValueReference kGradient[] = {
    {"position", "m", "Long", "first cell round(position / 50)", C::StepCell},
    {"gradient", "per mille", "-100 to 155 stored faithfully", "pendenza of each cell = gradient + 100, low 8 bits",
     C::GradientByte}};
constexpr ValueReference kCurve[] = {
    {"start", "m", "Long", "the plan of the track, one point per metre", C::None},
    {"length", "m", "Long; the curve ends within the line's length + 7000 m", "the plan of the track", C::None}};
constexpr ValueReference kMountain[] = {
    {"start", "m", "Long", "first cell round(start / 50)", C::StepCell},
    {"end", "m", "Long", "last cell round(end / 50 - 1)", C::SectionEndCell},
    {"type", "", "Long; 0 to 255 (above 10: markers, stored 10 lower)", "montagna of every cell of the section", C::None}};
constexpr ValueReference kIndicator[] = {
    {"posizione", "m", "Long", "the cell round(posizione / 50 + 1), kind 6", C::PointCell},
    {"vas", "km/h", "Long; a multiple of 5", "valore_1 = vas × 20 + vad / 5", C::IndicatorSpeed},
    {"vbs", "km/h", "Long; a multiple of 5", "valore_2 = vbs × 20 + vbd / 5", C::IndicatorSpeed},
    {"vcs", "km/h", "Long; a multiple of 5", "valore_3 = vcs × 20 + vcd / 5", C::IndicatorSpeed},
    {"strisces", "", "0 to 9", "valore_4 = strisces × 10 + strisced", C::None},
    {"vad", "km/h", "Long; a multiple of 5", "valore_1, see vas", C::None},
    {"vbd", "km/h", "Long; a multiple of 5", "valore_2, see vbs", C::None},
    {"vcd", "km/h", "Long; a multiple of 5", "valore_3, see vcs", C::None},
    {"strisced", "", "0 to 9", "valore_4, see strisces", C::None}};
constexpr ValueReference kBoard[] = {
    {"position", "m", "Long", "the cell round(position / 50 + 1), kind 14", C::PointCell},
    {"caption", "text", "up to 65535 bytes; no comma unless in double quotes",
     "nome of a station-table record, 80 for the first board, then downward", C::None}};
constexpr ValueReference kBrakedMass[] = {{"percent", "%", "Long", "record 84 inizio_zona", C::None}};
constexpr ValueReference kCoaches[] = {{"coaches", "", "Long", "record 84 progressiva", C::None}};
constexpr ValueReference kSpeedStep[] = {
    {"position", "m", "Long", "first cell round(position / 50)", C::StepCell},
    {"speed", "km/h", "0 to 1275; a multiple of 5", "velocita_limite of each cell = speed / 5, rounded", C::SpeedFifths}};
constexpr ValueReference kAdhesionStep[] = {
    {"position", "m", "Long", "first cell round(position / 50)", C::StepCell},
    {"adhesion", "", "0 to 255 stored faithfully", "aderenza of each cell, low 8 bits", C::None}};
constexpr ValueReference kClock[] = {{"hours", "h", "Integer", "record 86 par_7", C::None},
                                     {"minutes", "min", "Integer", "record 86 par_8", C::None},
                                     {"seconds", "s", "Integer", "record 86 par_9", C::None}};
constexpr ValueReference kSand[] = {{"sand", "", "Integer", "record 86 par_4", C::None}};
constexpr ValueReference kSignal[] = {
    {"posizione", "m", "Long; 350 or more", "the cell round(posizione / 50 + 1), kind 1", C::PointCell},
    {"sx", "", "Long",
     "valore_4 = rapp × 10 + sx × 3 + dx; 2 keeps tempo, any other value drops it; with dx, the code of the "
     "approach marks, avviso (sx × 3 + dx) × 10 + 1 to 4 in the cells 100 to 400 m before",
     C::None},
    {"s1", "", "Long", "valore_1 = s1 × 10 + d1; stored only", C::None},
    {"s2", "", "Long", "valore_2 = s2 × 10 + d2; stored only", C::None},
    {"s3", "", "Long", "valore_3 = s3 × 10 + d3; stored only", C::None},
    {"rapp", "", "Long", "the tens of valore_4, see sx; stored only", C::None},
    {"dx", "", "Long", "part of valore_4, see sx; with sx, the code of the approach marks", C::None},
    {"d1", "", "Long", "the units of valore_1, see s1; stored only", C::None},
    {"d2", "", "Long", "the units of valore_2, see s2; stored only", C::None},
    {"d3", "", "Long", "the units of valore_3, see s3; stored only", C::None},
    {"tempo", "", "Long", "tempo_segnale when sx is 2 (1 to 100 raised to 101), low 8 bits", C::None}};
constexpr ValueReference kSlowdown[] = {
    {"x", "m", "Long", "start cell round(x / 50 + 1), kind 3; warning board 1200 m before", C::PointCell},
    {"v", "km/h", "Long", "valore_1 of the start, end and warning cells", C::None},
    {"l", "m", "Long", "end cell round((x + l) / 50 + 1), kind 2", C::None},
    {"f_tt", "", "Long", "valore_3 of the start and end cells, low 16 bits; stored only", C::None},
    {"f_ta", "", "Long", "0: no marker cells before the warning board", C::None},
    {"d_v", "", "Long",
     "0 or not 0: when not 0, valore_2 of the start, end and warning cells (low 16 bits) and 1 to 4 in the "
     "marker cells; otherwise stored only",
     C::None}};
constexpr ValueReference kCodeChange[] = {
    {"position", "m", "Long", "the cell round(position / 50), which begins 50 m before the position", C::StepCell},
    {"code", "", "Long", "above 0: kind 12 with valore_1 = the code; 0 or less: kind 13", C::None}};
constexpr ValueReference kStation[] = {
    {"position", "m", "Long; a multiple of 50 (else error 8)", "progressiva; the centre of the zone", C::None},
    {"kind", "", "Byte", "tipo_stazione; decides the zone, the stop cell and the approach marks", C::None},
    {"length", "m", "Long; a multiple of 100 (else error 9)", "the size of the zone (not stored)", C::None},
    {"par_1", "", "Byte", "par_1, a flag; stored only", C::None},
    {"par_2", "", "Byte", "par_2, a flag (stored as 0 below 600 m and at the first station); stored only", C::None},
    {"par_3", "", "Byte", "par_3; not 0: a centred zone reaches 50 m further", C::None},
    {"par_4", "", "Integer", "par_4; stored only", C::None},
    {"par_5", "", "Integer", "par_5; stored only", C::None},
    {"par_6", "", "Byte", "par_6; stored only", C::None},
    {"par_7", "", "Integer", "par_7; stored only", C::None},
    {"par_8", "", "Integer", "par_8; stored only", C::None},
    {"par_9", "", "Integer", "par_9; stored only", C::None},
    {"sosta", "", "Byte",
     "sosta, the stop time; stored only: the stop cell, the zone and the marks come from the kind", C::None},
    {"hours", "h", "Long", "orario = (hours × 60 + minutes) × 60 + seconds", C::TimetableHours},
    {"minutes", "min", "Long", "orario, see the hours", C::TimetableMinutes},
    {"seconds", "s", "Long", "orario, see the hours", C::TimetableSeconds},
    {"name", "text", "up to 65535 bytes; no comma unless in double quotes", "nome", C::None}};

const KeywordReference kReferences[] = {
    {&keyword::kLunghezzaPercorso, "generale", "The length of the line: sizes the route (one cell per 50 m, plus a run-out of 7000 m) and the plan of the track.", kRouteLength},
    {&keyword::kProgressivaTre, "generale", "A kilometric progressive zone: where the line's chainage is given. Lower case exactly.", kProgressive},
    {&keyword::kProgressivaDue, "generale", "A kilometric progressive zone: where the line's chainage is given. Lower case exactly.", kProgressive},
    {&keyword::kProgressivaUno, "generale", "A kilometric progressive zone: where the line's chainage is given. Lower case exactly.", kProgressive},
    {&keyword::kSfondoUno, "generale", "A background setting for the simulator. Lower case exactly.", kBackgroundOne},
    {&keyword::kSfondoDue, "generale", "A background setting for the simulator. Lower case exactly.", kBackgroundTwo},
    {&keyword::kSfondoTre, "generale", "A background setting for the simulator. Lower case exactly.", kBackgroundThree},
    {&keyword::kRipetizioneSegnali, "generale", "The stretch equipped for cab signalling; the digit in the keyword (4 or 9) is its number of codes.", kCabSignalling},
    {&keyword::kPendenza, "pendenze", "A gradient step: the gradient holds from its position up to the next `pendenza` line.", kGradient},
    {&keyword::kCurva, "curve", "A curve: `curvas` turns left, `curvad` right; the digit 1 to 6 is its class (1: radius about 10000 m, 6: about 333 m).", kCurve},
    {&keyword::kMontagna, "montagne", "A mountain section.", kMountain},
    {&keyword::kIndicatoriVmax, "cartelli", "A maximum-speed indicator: two sets of three speeds, each with a stripe count.", kIndicator},
    {&keyword::kCartelloIndicatore, "indicazioni", "An indication board beside the track, with its caption.", kBoard},
    {&keyword::kMassaFrenata, "generale", "The braked-mass percentage of the train.", kBrakedMass},
    {&keyword::kNumeroVetture, "generale", "The number of coaches.", kCoaches},
    {&keyword::kVelocita, "vel_limite", "A speed-limit step: the limit holds from its position up to the next `velocita` line.", kSpeedStep},
    {&keyword::kAderenza, "aderenze", "An adhesion step: the value holds from its position up to the next `aderenza` line.", kAdhesionStep},
    {&keyword::kOrologio, "generale", "The clock at the start of the run; the values may be separated by blanks alone.", kClock},
    {&keyword::kSabbia, "generale", "The sand of the train.", kSand},
    {&keyword::kSegnale, "segnali", "A signal: its eleven values are stored, combined, in its cell; approach marks go 100 to 400 m before it.", kSignal},
    {&keyword::kRallentamento, "rallentamenti", "A temporary slowdown, with its warning board 1200 m before its start.", kSlowdown},
    {&keyword::kAbbattimento, "codici", "A code-change point of the cab signalling, with the code that applies from there.", kCodeChange},
    {&keyword::kStazione, "stazioni", "A station (or a transit point) with its timetable; stations go in order of position.", kStation},
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

bool Has(std::string_view field, std::string_view part) { return field.find(part) != std::string_view::npos; }

}  // namespace

std::span<const KeywordReference> KeywordReferences() { return kReferences; }

const KeywordReference* RecogniseKeyword(SourceFile file, std::string_view field) {
  // The readers' tests, in their order; the general keywords of the line
  // description are matched letter for letter, the others ignoring case.
  const std::string lower = Lower(field);
  const auto entry = [](const KeywordSpec& spec) -> const KeywordReference* {
    for (const KeywordReference& reference : kReferences)
      if (reference.spec == &spec) return &reference;
    return nullptr;
  };
  if (file == SourceFile::LineDescription) {
    if (Has(lower, "percorso") && Has(lower, "lunghezza")) return entry(keyword::kLunghezzaPercorso);
    if (Has(field, "progressiva")) {
      if (Has(field, "tre")) return entry(keyword::kProgressivaTre);
      if (Has(field, "due")) return entry(keyword::kProgressivaDue);
      if (Has(field, "uno")) return entry(keyword::kProgressivaUno);
    }
    if (Has(field, "sfondo")) {
      if (Has(field, "uno")) return entry(keyword::kSfondoUno);
      if (Has(field, "due")) return entry(keyword::kSfondoDue);
      if (Has(field, "tre")) return entry(keyword::kSfondoTre);
    }
    if (Has(field, "segnali") && Has(field, "ripetizione")) return entry(keyword::kRipetizioneSegnali);
    if (Has(lower, "pendenza")) return entry(keyword::kPendenza);
    if (Has(lower, "curva")) return entry(keyword::kCurva);
    if (Has(lower, "montagna")) return entry(keyword::kMontagna);
    if (Has(lower, "indicatori_v")) return entry(keyword::kIndicatoriVmax);
    if (Has(lower, "indicat") && Has(lower, "cartello")) return entry(keyword::kCartelloIndicatore);
    return nullptr;
  }
  if (Has(lower, "frenata") && Has(lower, "massa")) return entry(keyword::kMassaFrenata);
  if (Has(lower, "vetture")) return entry(keyword::kNumeroVetture);
  if (Has(lower, "velocit")) return entry(keyword::kVelocita);
  if (Has(lower, "aderenza")) return entry(keyword::kAderenza);
  if (Has(lower, "orologio")) return entry(keyword::kOrologio);
  if (Has(lower, "sabbia")) return entry(keyword::kSabbia);
  if (Has(lower, "segnale")) return entry(keyword::kSegnale);
  if (Has(lower, "rallentamento")) return entry(keyword::kRallentamento);
  if (Has(lower, "abbattimento")) return entry(keyword::kAbbattimento);
  if (Has(lower, "stazione")) return entry(keyword::kStazione);
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

}  // namespace scenario::lsp
