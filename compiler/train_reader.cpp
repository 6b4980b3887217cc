#include "compiler/train_reader.h"

namespace scenario {

void ReadTrainService(ScenarioModel& model, const Workspace& workspace, int32_t indice_cartello,
                      ReadingPlace* place) {
  (void)model;
  (void)workspace;
  (void)indice_cartello;
  (void)place;
}

}  // namespace scenario
