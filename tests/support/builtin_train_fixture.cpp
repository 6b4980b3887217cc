#include "tests/support/builtin_train_fixture.h"

namespace scenario::testing_support {

const std::vector<std::string>& BuiltInTrainLines() {
  static const std::vector<std::string> lines = {
      "[generale]",
      "numero vetture,    4",
      "percentuale massa frenata,    120",
      "sabbia,    300",
      "orologio,    8               12            45 ",
      "[aderenze]",
      "aderenza,   0,    100",
      "[vel_limite]",
      "velocita,   0,    30",
      "velocita,      50,   200",
      "[stazioni]",
      "stazione,       0,  8,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,   8,13, 0, CALVISIO P.N.",
      "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO",
      "stazione,   14350, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,28, 0, CAMPOSTRELLA",
      "stazione,   19150, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, BRISANTE",
      "stazione,   26500, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, FONTALBA",
      "stazione,   33450, 23,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, S. ORSOLO",
      "stazione,   37650, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,44, 0, LAGORSO",
      "stazione,   48000, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,53, 0, CERVELLE",
      "stazione,   50500, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, PIANSECCO",
      "stazione,   52850, 23,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, VALDRENO",
      "stazione,   56800, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,   60,   9, 1, 0, RIVALTESE",
      "stazione,   59150, 23,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, SABBIONERA",
      "stazione,   64600, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,   60,   9, 8, 0, MARANCO - TESSERA",
      "stazione,   67500, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, CORTEMORA",
      "stazione,   71700, 12,  300,  0, 0, 0,  1,1,0,  4,1,1,   60,   9,16, 0, ARDELLO - LUNEO",
      "stazione,   83250, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   9,26, 0, OSSANE",
      "stazione,   97000,  4,  500,  1, 0, 0,  1,1,0,  2,1,1,    1,   9,38, 0, SAMBRETA",
      "[rallentamenti]",
      "rallentamento,   21850,    30,  350, 1,  1,  0",
      "rallentamento,   46200,    50,  400, 1,  1,  0",
      "[segnali]",
      "segnale,    2350,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,    5350,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,    6150,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   11950,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   13150,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   17950,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   24100,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   25300,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   31050,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   32200,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   35250,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   36450,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   45600,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   46800,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   49600,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   54400,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   55600,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   58250,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   62200,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   63400,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   66500,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   69300,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   70500,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   80850,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   82050,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   94350,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
      "segnale,   95800,   2, 3, 1,  0, 0,    0,  0,0,0, 0",
      "[codici]",
      "[fine]",
  };
  return lines;
}

std::string TrainText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace scenario::testing_support
