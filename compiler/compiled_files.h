// The three compiled files for the simulator: the line file (the track plan),
// the station file and the cell file. No header, no count, no padding; every
// number little-endian.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/scenario_model.h"
#include "platform/files/workspace.h"

namespace scenario {

inline constexpr size_t kCellBytes = 15;
inline constexpr size_t kStationFixedBytes = 34;
inline constexpr size_t kMaxNameBytes = 65535;

// Station file: records 0 to 86, 34 + length of `nome` bytes each. Throws
// std::length_error for a name longer than its 2-byte length can say.
std::string EncodeStazioni(const std::array<rec_stazione, kNumeroStazioni>& stazioni);
// Cell file: 15 bytes a cell.
std::string EncodePercorso(const std::vector<rec_cella>& percorso);
// Line file: column 0 for every x, then column 1; each element a 2-byte type
// code followed by 0 (Empty), 2 (Integer) or 8 (Double) bytes.
std::string EncodeTracciato(const Tracciato& tracciato);
// The same bytes handed to `put` in pieces of at most kPieceBytes, through a
// buffer of that size: the line file of a long route is never whole in
// memory.
inline constexpr size_t kPieceBytes = 256 * 1024;
void EncodeTracciatoInPieces(const Tracciato& tracciato, const PieceSink& put);
// The length of the line file of `tracciato`.
size_t TracciatoBytes(const Tracciato& tracciato);
// Every point of the plan as the tagged values it holds, point 0 first.
std::vector<PuntoTracciato> PuntiDelTracciato(const Tracciato& tracciato);

// The decoders check the bytes against the layout; on a mismatch they return
// false with a message that says what is wrong.
bool DecodeStazioni(std::string_view bytes, std::vector<rec_stazione>* stazioni, std::string* error);
bool DecodePercorso(std::string_view bytes, std::vector<rec_cella>* percorso, std::string* error);
bool DecodeTracciato(std::string_view bytes, std::vector<PuntoTracciato>* tracciato,
                     std::string* error);

// Writes the model's arrays to their files in the workspace as one set
// (platform/files/file_set.h): the line file (only when compila_linea is
// non-zero), the station file and the cell file, in this order, each
// written whole before any old one is replaced. A failure ends the run
// (SystemFailure) with the old files in place.
void WriteCompiledFiles(const ScenarioModel& model, const Workspace& workspace);

}  // namespace scenario
