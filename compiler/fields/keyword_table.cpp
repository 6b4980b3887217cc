#include "compiler/fields/keyword_table.h"

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

}  // namespace

namespace keyword {
const KeywordSpec kLunghezzaPercorso{kLine, "lunghezza percorso", kRouteLength};
const KeywordSpec kProgressivaTre{kLine, "progressiva chilometrica tre", kProgressive};
const KeywordSpec kProgressivaDue{kLine, "progressiva chilometrica due", kProgressive};
const KeywordSpec kProgressivaUno{kLine, "progressiva chilometrica uno", kProgressive};
const KeywordSpec kSfondoUno{kLine, "sfondo uno", kBackground};
const KeywordSpec kSfondoDue{kLine, "sfondo due", kBackground};
const KeywordSpec kSfondoTre{kLine, "sfondo tre", kBackground};
const KeywordSpec kRipetizioneSegnali{kLine, "ripetizione segnali 4 codici", kCabSignalling};
const KeywordSpec kPendenza{kLine, "pendenza", kGradient};
const KeywordSpec kCurva{kLine, "curvas3", kCurve};
const KeywordSpec kMontagna{kLine, "montagna", kMountain};
const KeywordSpec kIndicatoriVmax{kLine, "indicatori_vmax", kIndicator};
const KeywordSpec kCartelloIndicatore{kLine, "cartello_indicatore", kBoard};
const KeywordSpec kMassaFrenata{kTrain, "percentuale massa frenata", kBrakedMass};
const KeywordSpec kNumeroVetture{kTrain, "numero vetture", kCoaches};
const KeywordSpec kVelocita{kTrain, "velocita", kSpeedStep};
const KeywordSpec kAderenza{kTrain, "aderenza", kAdhesionStep};
const KeywordSpec kOrologio{kTrain, "orologio", kClock};
const KeywordSpec kSabbia{kTrain, "sabbia", kSand};
const KeywordSpec kSegnale{kTrain, "segnale", kSignal};
const KeywordSpec kRallentamento{kTrain, "rallentamento", kSlowdown};
const KeywordSpec kAbbattimento{kTrain, "abbattimento", kCodeChange};
const KeywordSpec kStazione{kTrain, "stazione", kStation};
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

}  // namespace scenario
