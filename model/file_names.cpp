#include "model/file_names.h"

namespace scenario {

namespace {
std::string Join(std::string_view a, std::string_view b) {
  std::string result(a);
  result += b;
  return result;
}
std::string TrainPrefix(std::string_view nome_linea, std::string_view numero_treno) {
  return Join(Join(nome_linea, "_"), numero_treno);
}
}  // namespace

std::string LineSourceName(std::string_view nome_linea) { return Join(nome_linea, "_linea.txt"); }

std::string TrainSourceName(std::string_view nome_linea, std::string_view numero_treno) {
  return TrainPrefix(nome_linea, numero_treno) + "-.txt";
}

std::string FormName(std::string_view nome_linea, std::string_view numero_treno,
                     std::string_view ending) {
  return Join(TrainPrefix(nome_linea, numero_treno) + "_", ending);
}

std::string CompiledLineName(std::string_view nome_linea) { return Join(nome_linea, "_linea.dat"); }

std::string StationFileName(std::string_view nome_linea, std::string_view numero_treno) {
  return TrainPrefix(nome_linea, numero_treno) + ".sim";
}

std::string CellFileName(std::string_view nome_linea, std::string_view numero_treno) {
  return TrainPrefix(nome_linea, numero_treno) + ".dat";
}

}  // namespace scenario
