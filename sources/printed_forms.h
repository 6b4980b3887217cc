// The content of the three printed forms of the service: blank paper forms
// drawn in text, whose placeholders ("xxxxx", "....") are never filled in.
#pragma once

#include <string>
#include <vector>

namespace scenario {

// The train card ("SCHEDA"): a header, two boxes and an empty timetable of
// thirty-one rows.
std::vector<std::string> BuiltInTrainCard();

// The slowdown order ("Modulo M. 3"): a header, an empty table of
// twenty-six slowdown rows and the key of the specific prescriptions.
std::vector<std::string> BuiltInSlowdownOrder();

// The notes file: no lines at all.
std::vector<std::string> BuiltInNotes();

}  // namespace scenario
