#include "tests/support/builtin_line_fixture.h"

namespace scenario::testing_support {

const std::vector<std::string>& BuiltInLineLines() {
  static const std::vector<std::string> lines = {
      "[generale]",
      "lunghezza percorso,    99000",
      "progressiva chilometrica uno,    0,    97000,    1",
      "progressiva chilometrica due,    0,    0,    0",
      "progressiva chilometrica tre,    0,    0,    0",
      "sfondo uno,    1",
      "sfondo due,    0",
      "sfondo tre,    0",
      "ripetizione segnali 4 codici,    2700,    95900",
      "[curve]",
      "curvas3,  1700,  850",
      "curvad3,  2850,  550",
      "curvas3,  13950,  400",
      "curvad3,  25550,  550",
      "curvad5,  36750,  650",
      "curvas5,  38100,  550",
      "curvas1,  40200,  5500",
      "curvad1,  48900,  2000",
      "curvas3,  55400,  850",
      "curvad4,  69500,  650",
      "curvas5,  94350,  550",
      "[pendenze]",
      "pendenza,   0,    0",
      "[montagne]",
      "montagna,   68650,  68700,  2",
      "[cartelli]",
      "indicatori_vmax,  2850,  95,  100,  110,  0,  ,  ,  ,  0",
      "indicatori_vmax,  7650,  100,  110,  120,  0,  ,  ,  ,  0",
      "indicatori_vmax,  19400,  110,  120,  120,  0,  ,  ,  ,  0",
      "indicatori_vmax,  38650,  90,  100,  110,  0,  ,  ,  ,  0",
      "indicatori_vmax,  45150,  100,  110,  120,  0,  ,  ,  ,  0",
      "indicatori_vmax,  57200,  110,  120,  125,  0,  ,  ,  ,  0",
      "indicatori_vmax,  68450,  85,  90,  90,  0,  ,  ,  ,  0",
      "indicatori_vmax,  70550,  100,  110,  110,  0,  ,  ,  ,  0",
      "indicatori_vmax,  84050,  110,  120,  120,  0,  ,  ,  ,  0",
      "indicatori_vmax,  91700,  65,  70,  80,  2,  ,  ,  ,  0",
      "indicatori_vmax,  92300,  65,  70,  80,  1,  ,  ,  ,  0",
      "indicatori_vmax,  93150,  65,  70,  80,  0,  ,  ,  ,  0",
      "[indicazioni]",
      "cartello_indicatore,  2600,   (BIVIO     )(S. ARMELIA)(Km. 94.400)",
      "cartello_indicatore,  6050,   (P.L.      )(Km. 90.950)",
      "cartello_indicatore,  7000,   (P.L.      )(Km. 90.000)",
      "cartello_indicatore,  13100,   (P.L.      )(Km. 83.900)",
      "cartello_indicatore,  21600,   (P.L.      )(Km. 75.400)",
      "cartello_indicatore,  33100,   (P.L.      )(Km. 63.900)",
      "cartello_indicatore,  38000,   (BIVIO     )(CORNIANO  )(Km. 59.000)",
      "cartello_indicatore,  38250,   (BIVIO     )(VESCANO   )(Km. 58.750)",
      "cartello_indicatore,  42600,   (P.L.      )(Km. 54.400)",
      "cartello_indicatore,  51550,   (INIZIO PONTE)(FIUME ZA    )",
      "cartello_indicatore,  52550,   (FINE PONTE)(FIUME ZA  )",
      "cartello_indicatore,  54600,   (P.L.      )(Km. 42.400)",
      "cartello_indicatore,  63600,   (P.L.      )(Km. 33.400)",
      "cartello_indicatore,  77100,   (P.L.      )(Km. 19.900)",
      "cartello_indicatore,  90600,   (P.L.     )(Km. 6.400)",
      "[fine]",
  };
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string BuiltInLineText() { return JoinLines(BuiltInLineLines()); }

}  // namespace scenario::testing_support
