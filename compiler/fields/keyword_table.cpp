#include "compiler/fields/keyword_table.h"

#include "compiler/fields/error_numbers.h"
#include "compiler/fields/keyword_match.h"

namespace scenario {

namespace {

constexpr ValueKind L = ValueKind::Long;
constexpr ValueKind I = ValueKind::Integer;
constexpr ValueKind B = ValueKind::Byte;
constexpr ValueKind T = ValueKind::Text;

constexpr ValueSpec kRouteLength[] = {{"the route length", L}};
constexpr ValueSpec kProgressive[] = {
    {"the route position of the zone", L}, {"the chainage", L}, {"the direction code", L}};
constexpr ValueSpec kBackground[] = {{"the background setting", L}};
constexpr ValueSpec kCabSignalling[] = {{"the start of the stretch", L}, {"the end of the stretch", L}};
constexpr ValueSpec kGradient[] = {{"the position from which the gradient holds", L}, {"the gradient", L}};
constexpr ValueSpec kCurve[] = {{"the start of the curve", L}, {"the length of the curve", L}};
constexpr ValueSpec kMountain[] = {{"the start", L}, {"the end", L}, {"the type", L}};
constexpr ValueSpec kIndicator[] = {{"posizione", L}, {"vas", L}, {"vbs", L}, {"vcs", L}, {"strisces", L},
                                    {"vad", L},       {"vbd", L}, {"vcd", L}, {"strisced", L}};
constexpr ValueSpec kBoard[] = {{"the position", L}, {"the caption", T}};

constexpr ValueSpec kBrakedMass[] = {{"the braked-mass percentage", L}};
constexpr ValueSpec kCoaches[] = {{"the number of coaches", L}};
constexpr ValueSpec kSpeedStep[] = {{"the position from which the limit holds", L}, {"the speed limit", L}};
constexpr ValueSpec kAdhesionStep[] = {{"the position from which the value holds", L}, {"the adhesion", L}};
constexpr ValueSpec kClock[] = {{"the hours", I}, {"the minutes", I}, {"the seconds", I}};
constexpr ValueSpec kSand[] = {{"the sand", I}};
constexpr ValueSpec kSignal[] = {{"posizione", L}, {"sx", L}, {"s1", L}, {"s2", L}, {"s3", L}, {"rapp", L},
                                 {"dx", L},        {"d1", L}, {"d2", L}, {"d3", L}, {"tempo", L}};
constexpr ValueSpec kSlowdown[] = {{"x, the start", L}, {"v, the speed", L}, {"l, the length", L},
                                   {"f_tt", L},         {"f_ta", L},         {"d_v", L}};
constexpr ValueSpec kCodeChange[] = {{"the position", L}, {"the code", L}};
constexpr ValueSpec kStation[] = {{"the position", L},
                                  {"the station kind", B},
                                  {"the length of the station", L},
                                  {"par_1", B},
                                  {"par_2", B},
                                  {"par_3", B},
                                  {"par_4", I},
                                  {"par_5", I},
                                  {"par_6", B},
                                  {"par_7", I},
                                  {"par_8", I},
                                  {"par_9", I},
                                  {"the stop time sosta", B},
                                  {"the timetable hours", L},
                                  {"the timetable minutes", L},
                                  {"the timetable seconds", L},
                                  {"the name", T}};

constexpr SourceFile kLine = SourceFile::LineDescription;
constexpr SourceFile kTrain = SourceFile::TrainService;
constexpr FirstValue kPlace = FirstValue::Place;
constexpr FirstValue kSetting = FirstValue::Setting;

}  // namespace

namespace keyword {
const KeywordSpec kLunghezzaPercorso{kLine, "lunghezza percorso", kRouteLength, kSetting};
const KeywordSpec kProgressivaTre{kLine, "progressiva chilometrica tre", kProgressive, kSetting};
const KeywordSpec kProgressivaDue{kLine, "progressiva chilometrica due", kProgressive, kSetting};
const KeywordSpec kProgressivaUno{kLine, "progressiva chilometrica uno", kProgressive, kSetting};
const KeywordSpec kSfondoUno{kLine, "sfondo uno", kBackground, kSetting};
const KeywordSpec kSfondoDue{kLine, "sfondo due", kBackground, kSetting};
const KeywordSpec kSfondoTre{kLine, "sfondo tre", kBackground, kSetting};
const KeywordSpec kRipetizioneSegnali{kLine, "ripetizione segnali 4 codici", kCabSignalling, kSetting};
const KeywordSpec kPendenza{kLine, "pendenza", kGradient, kPlace};
const KeywordSpec kCurva{kLine, "curvas3", kCurve, kPlace};
const KeywordSpec kMontagna{kLine, "montagna", kMountain, kPlace};
const KeywordSpec kIndicatoriVmax{kLine, "indicatori_vmax", kIndicator, kPlace};
const KeywordSpec kCartelloIndicatore{kLine, "cartello_indicatore", kBoard, kPlace};
const KeywordSpec kMassaFrenata{kTrain, "percentuale massa frenata", kBrakedMass, kSetting};
const KeywordSpec kNumeroVetture{kTrain, "numero vetture", kCoaches, kSetting};
const KeywordSpec kVelocita{kTrain, "velocita", kSpeedStep, kPlace};
const KeywordSpec kAderenza{kTrain, "aderenza", kAdhesionStep, kPlace};
const KeywordSpec kOrologio{kTrain, "orologio", kClock, kSetting};
const KeywordSpec kSabbia{kTrain, "sabbia", kSand, kSetting};
const KeywordSpec kSegnale{kTrain, "segnale", kSignal, kPlace};
const KeywordSpec kRallentamento{kTrain, "rallentamento", kSlowdown, kPlace};
const KeywordSpec kAbbattimento{kTrain, "abbattimento", kCodeChange, kPlace};
const KeywordSpec kStazione{kTrain, "stazione", kStation, kPlace};
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
