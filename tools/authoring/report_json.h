// A compile report as JSON: the fields `scenario-tool compile --json` and
// the browser's compiler give alike, put into JSON in this one place.
#pragma once

#include <nlohmann/json.hpp>

#include "tools/authoring/author_compile.h"

namespace scenario::tool {

// Adds to `json`, in this order: "nome_linea", "numero_treno",
// "codice_errore", "posizione_errore", "message", "cause", "file", "line",
// "column", "files_hold_everything_read", "stopped_with", "stopped_message",
// "line_description_stop", "notes" and "warnings". Texts are UTF-8.
void PutCompileReport(nlohmann::ordered_json& json, const CompileReport& report);

}  // namespace scenario::tool
