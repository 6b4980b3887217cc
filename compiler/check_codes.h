// The two check codes of a compiled scenario, computed from the train number
// (record 86's name) and the line name (record 85's name).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/scenario_model.h"

namespace scenario {

// The train number then the line name, lower-cased, then the fill
// "aabbccddeeffgghhiillmmnnoo"; only its first 25 characters count.
std::string testo_codice(std::string_view numero_treno, std::string_view nome_linea);

// Sum of the 25 character codes: 0 to 6375.
int32_t codice_gara_og(const ScenarioModel& model);
// Sum of code x position (1 to 25): 0 to 82875.
int32_t codice_gara_st(const ScenarioModel& model);

}  // namespace scenario
