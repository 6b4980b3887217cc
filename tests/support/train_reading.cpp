#include "tests/support/train_reading.h"

#include <sstream>

#include "compiler/readers/train_reader.h"
#include "tests/support/builtin_train_fixture.h"

namespace scenario::testing_support {

std::string Describe(const rec_stazione& r) {
  std::ostringstream out;
  out << "tipo " << int{r.tipo_stazione} << ", zona " << r.inizio_zona << ".." << r.fine_zona
      << ", progressiva " << r.progressiva << ", par_1 " << int{r.par_1} << ", nome '" << r.nome
      << "', par_4 " << r.par_4 << ", par_5 " << r.par_5 << ", par_7 " << r.par_7 << ", par_8 "
      << r.par_8 << ", par_9 " << r.par_9 << ", par_6 " << int{r.par_6} << ", sosta "
      << int{r.sosta} << ", par_3 " << int{r.par_3} << ", par_2 " << int{r.par_2} << ", orario "
      << r.orario;
  return out.str();
}

std::string Station(int64_t position, int kind, int64_t length, int par_2, int par_3,
                    const std::string& name) {
  std::ostringstream line;
  line << "stazione, " << position << ", " << kind << ", " << length << ", 0, " << par_2 << ", "
       << par_3 << ", 0,0,0, 4,1,1, 0, 0,0,0, " << name;
  return line.str();
}

std::vector<std::string> BuiltInWith(size_t number, const std::string& replacement) {
  std::vector<std::string> lines = BuiltInTrainLines();
  lines.at(number - 1) = replacement;
  return lines;
}

std::vector<std::string> BuiltInUpTo(size_t count) {
  const std::vector<std::string>& all = BuiltInTrainLines();
  return {all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count)};
}

std::vector<std::string> Append(std::vector<std::string> lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

ScenarioModel LineHalfModel() {
  ScenarioModel model;
  model.nome_linea = "Calvisio -Sambreta";
  model.numero_treno = "31613";
  model.compila_linea = 1;
  model.stazioni[kRecordScenario].nome = model.nome_linea;
  model.stazioni[kRecordTreno].nome = model.numero_treno;
  model.lunghezza_estesa = 106000;
  model.ultima_cella = 2120;
  model.percorso.assign(2121, rec_cella{});
  model.stazioni[kRecordProgressivaTre].fine_zona = 97100;
  model.stazioni[kRecordProgressivaTre].progressiva = 1;
  model.stazioni[kRecordDatiGenerali].fine_zona = 99000;
  model.stazioni[kRecordScenario].inizio_zona = 1;
  model.stazioni[kRecordTreno].inizio_zona = 2700;
  model.stazioni[kRecordTreno].fine_zona = 95900;
  model.stazioni[kRecordTreno].progressiva = 4;
  model.posizione_errore = kUntouchedPosition;
  return model;
}

void TrainReading::WriteTrain(const std::vector<std::string>& lines) {
  files.files[kTrainPath] = TrainText(lines);
}

void TrainReading::Read(int32_t indice_cartello) {
  ReadTrainService(model, workspace, indice_cartello, &place);
}

std::map<int, int> TrainReading::Marks() const {
  std::map<int, int> marks;
  for (size_t k = 0; k < model.percorso.size(); ++k)
    if (model.percorso[k].avviso != 0) marks[static_cast<int>(k)] = model.percorso[k].avviso;
  return marks;
}

std::map<int, int> TrainReading::StopCells() const {
  std::map<int, int> stops;
  for (size_t k = 0; k < model.percorso.size(); ++k)
    if (model.percorso[k].tipo_cella == tipo::fermata_stazione)
      stops[static_cast<int>(k)] = model.percorso[k].valore_1;
  return stops;
}

int TrainReading::StationsStored() const {
  int count = 0;
  for (int i = 1; i < kPrimoCartello; ++i)
    if (!(model.stazioni[i] == rec_stazione{})) ++count;
  return count;
}

}  // namespace scenario::testing_support
