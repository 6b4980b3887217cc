#include "sources/printed_forms.h"

namespace scenario {

std::vector<std::string> BuiltInTrainCard() {
  // The rule that closes the timetable's heading and, again, its last row.
  const std::string rule =
      " |_____|_____|__________|_____|____________________________|________________|_____|";
  std::vector<std::string> lines = {
      "",
      "",
      "  ___________________                                               ______________",
      " |                   |                    SCHEDA                   |              |",
      " |   TRENO n.xxxxx   |                   da: xxxxxx                |    Vxxx C    |",
      " |___________________|                    a: xxxxxx                |     xxx%     |",
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |        xxx        |              |      xxxT         |",
      " |___________________|              |___________________|",
      "",
      "  ________________________________________________________________________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      rule,
  };
  // The timetable: thirty-one empty rows.
  const std::string empty_row =
      " |     |     |          |     |                            |                |     |";
  for (int row = 0; row < 31; ++row) lines.push_back(empty_row);
  lines.push_back(rule);
  lines.push_back("");
  return lines;
}

std::vector<std::string> BuiltInSlowdownOrder() {
  // The rule that closes the table's heading and, again, its last row.
  const std::string rule =
      " |___|____________________________|____________|__________|_________|____________|";
  std::vector<std::string> lines = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " ________________________________________________________________________________",
      "  Linea  xxxxxx xxxxxxx",
      "",
      "  Si ordina al macchinista del treno xxxxx di effettuare i seguenti rallentamenti",
      "  _______________________________________________________________________________",
      " |   |                            |Inizio dopo |          |         |            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
      rule,
  };
  // The table: twenty-six empty slowdown rows.
  const std::string empty_row =
      " |   |                            |            |          |         |            |";
  for (int row = 0; row < 26; ++row) lines.push_back(empty_row);
  lines.push_back(rule);
  for (const char* line : {
           "",
           "              Prescrizioni specifiche",
           " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
           " B - Interessa anche la stazione di.......",
           " D - Rallentamneto N. ... e N. ...  sono contigui",
           " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
           "     i giorni esclusi i seguenti:.........",
       }) {
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> BuiltInNotes() { return {}; }

}  // namespace scenario
