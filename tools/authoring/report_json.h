// A compile report as JSON: the fields `scenario-tool compile --json` and
// the browser's compiler give alike, put into JSON in this one place.
#pragma once

#include <nlohmann/json.hpp>

#include "tools/authoring/author_compile.h"

namespace scenario::tool {

// Adds to `json`, in this order: "nome_linea", "numero_treno",
// "codice_errore", "posizione_errore", "message", "cause", "fix", "file",
// "line", "column", "files_hold_everything_read", "stopped_with",
// "stopped_message", "line_description_stop", "notes" and "warnings". Texts
// are UTF-8. "fix", of the cause and of each warning, is the edit that puts
// it right as data, or null: "title", "file", "line", "column", "reach"
// ("field": to the end of the field there; "line_end": to the end of the
// line, blanks at its end left alone) and "replacement".
void PutCompileReport(nlohmann::ordered_json& json, const CompileReport& report);

}  // namespace scenario::tool
