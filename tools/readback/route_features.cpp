#include "tools/readback/route_features.h"

#include "model/scenario_model.h"

namespace scenario::tool {

namespace {

bool HoldsOnlyAName(const rec_stazione& record) {
  rec_stazione without_name = record;
  without_name.nome.clear();
  return !record.nome.empty() && without_name == rec_stazione{};
}

}  // namespace

std::string CellKindName(uint8_t tipo_cella) {
  switch (tipo_cella) {
    case tipo::libera: return "free";
    case tipo::segnale: return "signal";
    case tipo::fine_rallentamento: return "slowdown end";
    case tipo::inizio_rallentamento: return "slowdown start";
    case tipo::avviso_rallentamento: return "slowdown warning";
    case tipo::prima_dell_avviso: return "before warning";
    case tipo::indicatore_v_max: return "max-speed indicator";
    case tipo::fermata_stazione: return "station stop";
    case tipo::marcatore_montagna: return "mountain marker";
    case tipo::cambio_codice: return "code change";
    case tipo::cambio_codice_abbattimento: return "code change (kept)";
    case tipo::cartello: return "indication board";
    default: return "unknown kind";
  }
}

std::string RoleName(RecordRole role) {
  switch (role) {
    case RecordRole::Unused: return "unused";
    case RecordRole::Station: return "station";
    case RecordRole::Caption: return "board caption";
    case RecordRole::Empty: return "empty";
    case RecordRole::Progressive: return "km progressive";
    case RecordRole::GeneralData: return "general data";
    case RecordRole::ScenarioHeader: return "scenario header";
    case RecordRole::TrainHeader: return "train header";
  }
  return "";
}

std::vector<RecordRole> RecordRoles(const std::vector<rec_stazione>& stazioni) {
  std::vector<RecordRole> roles(stazioni.size(), RecordRole::Empty);
  if (stazioni.size() != static_cast<size_t>(kNumeroStazioni)) return roles;
  roles[0] = RecordRole::Unused;
  for (int i = kRecordProgressivaTre; i <= kRecordProgressivaUno; ++i) roles[i] = RecordRole::Progressive;
  roles[kRecordDatiGenerali] = RecordRole::GeneralData;
  roles[kRecordScenario] = RecordRole::ScenarioHeader;
  roles[kRecordTreno] = RecordRole::TrainHeader;

  int lowest_caption = kPrimoCartello + 1;
  for (int i = kPrimoCartello; i >= 1 && HoldsOnlyAName(stazioni[i]); --i) {
    roles[i] = RecordRole::Caption;
    lowest_caption = i;
  }
  for (int i = 1; i < lowest_caption && !(stazioni[i] == rec_stazione{}); ++i) roles[i] = RecordRole::Station;
  return roles;
}

std::string BoardCaption(const std::vector<rec_stazione>& stazioni, const rec_cella& board) {
  if (board.valore_1 < 0 || static_cast<size_t>(board.valore_1) >= stazioni.size()) return "";
  return stazioni[board.valore_1].nome;
}

RouteFeatures FindRouteFeatures(const std::vector<rec_stazione>& stazioni,
                                const std::vector<rec_cella>& percorso) {
  RouteFeatures features;
  const std::vector<RecordRole> roles = RecordRoles(stazioni);
  for (size_t i = 0; i < roles.size(); ++i)
    if (roles[i] == RecordRole::Station) features.stations.push_back({static_cast<int>(i), &stazioni[i]});

  for (size_t k = 0; k < percorso.size(); ++k) {
    const CellObject object{static_cast<int64_t>(k), CellStart(static_cast<int64_t>(k)), percorso[k]};
    switch (percorso[k].tipo_cella) {
      case tipo::segnale: features.signals.push_back(object); break;
      case tipo::avviso_rallentamento: features.warnings.push_back(object); break;
      case tipo::inizio_rallentamento: features.slowdown_starts.push_back(object); break;
      case tipo::fine_rallentamento: features.slowdown_ends.push_back(object); break;
      case tipo::cambio_codice:
      case tipo::cambio_codice_abbattimento: features.code_changes.push_back(object); break;
      case tipo::cartello: features.boards.push_back(object); break;
      case tipo::indicatore_v_max: features.indicators.push_back(object); break;
      case tipo::fermata_stazione: features.stop_cells.push_back(object); break;
      default: break;
    }
  }

  // Each start runs to the first end after it; a start with no end of its
  // own (start and end in one cell) covers its cell.
  const std::vector<CellObject>& starts = features.slowdown_starts;
  const std::vector<CellObject>& ends = features.slowdown_ends;
  size_t next_end = 0;
  for (size_t s = 0; s < starts.size(); ++s) {
    while (next_end < ends.size() && ends[next_end].cell < starts[s].cell) ++next_end;
    Slowdown slowdown{starts[s].metre, starts[s].metre + 50, starts[s].content.valore_1};
    const bool end_is_its_own =
        next_end < ends.size() && (s + 1 == starts.size() || ends[next_end].cell < starts[s + 1].cell);
    if (end_is_its_own) slowdown.end_metre = ends[next_end++].metre;
    features.slowdowns.push_back(slowdown);
  }
  return features;
}

}  // namespace scenario::tool
