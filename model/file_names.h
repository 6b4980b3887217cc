// The names of every file a run writes or reads, built from the line name
// and the train number exactly as they stand (blanks and hyphens included).
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// Line description text source: "<line>_linea.txt".
std::string LineSourceName(std::string_view nome_linea);
// Train service text source: "<line>_<train>-.txt".
std::string TrainSourceName(std::string_view nome_linea, std::string_view numero_treno);
// A printed form: "<line>_<train>_<ending>", ending e.g. "note.txt".
std::string FormName(std::string_view nome_linea, std::string_view numero_treno,
                     std::string_view ending);
// Compiled line file: "<line>_linea.dat".
std::string CompiledLineName(std::string_view nome_linea);
// Compiled station file: "<line>_<train>.sim".
std::string StationFileName(std::string_view nome_linea, std::string_view numero_treno);
// Compiled cell file: "<line>_<train>.dat".
std::string CellFileName(std::string_view nome_linea, std::string_view numero_treno);

}  // namespace scenario
