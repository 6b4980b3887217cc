#include "compiler/compiled_files.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "compiler/coding.h"
#include "model/file_names.h"
#include "platform/files/file_set.h"

namespace scenario {

namespace {

// Writing fields one after another into a buffer sized beforehand.
class FieldWriter {
 public:
  explicit FieldWriter(char* at) : at_(at) {}
  void Byte(uint8_t value) { *at_++ = static_cast<char>(value); }
  void Integer(int16_t value) {
    EncodeFixed16(at_, static_cast<uint16_t>(value));
    at_ += 2;
  }
  void Fixed16(uint16_t value) {
    EncodeFixed16(at_, value);
    at_ += 2;
  }
  void Long(int32_t value) {
    EncodeFixed32(at_, static_cast<uint32_t>(value));
    at_ += 4;
  }
  void Bytes(const std::string& text) {
    std::memcpy(at_, text.data(), text.size());
    at_ += text.size();
  }
 private:
  char* at_;
};

}  // namespace

std::string EncodeStazioni(const std::array<rec_stazione, kNumeroStazioni>& stazioni) {
  size_t total = 0;
  for (const rec_stazione& r : stazioni) {
    if (r.nome.size() > kMaxNameBytes)
      throw std::length_error("a station record's name is longer than 65535 bytes");
    total += kStationFixedBytes + r.nome.size();
  }
  std::string out(total, '\0');
  FieldWriter put(out.data());
  for (const rec_stazione& r : stazioni) {
    put.Byte(r.tipo_stazione);
    put.Long(r.inizio_zona);
    put.Long(r.fine_zona);
    put.Long(r.progressiva);
    put.Byte(r.par_1);
    put.Fixed16(static_cast<uint16_t>(r.nome.size()));
    put.Bytes(r.nome);
    put.Integer(r.par_4);
    put.Integer(r.par_5);
    put.Integer(r.par_7);
    put.Integer(r.par_8);
    put.Integer(r.par_9);
    put.Byte(r.par_6);
    put.Byte(r.sosta);
    put.Byte(r.par_3);
    put.Byte(r.par_2);
    put.Long(r.orario);
  }
  return out;
}

std::string EncodePercorso(const std::vector<rec_cella>& percorso) {
  std::string out(percorso.size() * kCellBytes, '\0');
  FieldWriter put(out.data());
  for (const rec_cella& c : percorso) {
    put.Byte(c.tipo_cella);
    put.Integer(c.valore_1);
    put.Integer(c.valore_2);
    put.Integer(c.valore_3);
    put.Integer(c.valore_4);
    put.Byte(c.tempo_segnale);
    put.Byte(c.avviso);
    put.Byte(c.montagna);
    put.Byte(c.velocita_limite);
    put.Byte(c.pendenza);
    put.Byte(c.aderenza);
  }
  return out;
}

namespace {

size_t TaggedBytes(const TaggedValue& value) {
  switch (value.type) {
    case ValueType::Empty: return 2;
    case ValueType::Integer: return 2 + 2;
    case ValueType::Double: return 2 + 8;
  }
  return 2;
}

constexpr size_t kDoubleBytes = 2 + 8;
constexpr size_t kEmptyBytes = 2;

// Bytes gathered into a buffer of fixed size and handed on whenever it is
// full, so that a file of any length passes through the same few kilobytes.
class PieceBuffer {
 public:
  explicit PieceBuffer(const PieceSink& put) : put_(put), buffer_(new char[kPieceBytes]) {}

  // Room for `bytes` (at most kPieceBytes) at the end of the buffer.
  char* Room(size_t bytes) {
    if (kPieceBytes - used_ < bytes) Flush();
    return buffer_.get() + used_;
  }
  void Used(size_t bytes) { used_ += bytes; }
  // Elements of `width` bytes that fit before the buffer is full (at least
  // one, after a flush when none fits).
  size_t Fitting(size_t width) {
    if (kPieceBytes - used_ < width) Flush();
    return (kPieceBytes - used_) / width;
  }
  void Flush() {
    if (used_ > 0) put_(std::string_view(buffer_.get(), used_));
    used_ = 0;
  }

 private:
  const PieceSink& put_;
  size_t used_ = 0;
  std::unique_ptr<char[]> buffer_;
};

void PutTagged(PieceBuffer& out, const TaggedValue& value) {
  char* dst = out.Room(TaggedBytes(value));
  EncodeFixed16(dst, static_cast<uint16_t>(value.type));
  switch (value.type) {
    case ValueType::Empty: break;
    case ValueType::Integer: EncodeFixed16(dst + 2, static_cast<uint16_t>(value.integer)); break;
    case ValueType::Double: EncodeDouble(dst + 2, value.real); break;
  }
  out.Used(TaggedBytes(value));
}

// One column: its seed points, its computed points (Doubles), then Empty to
// the end.
void PutColumn(PieceBuffer& out, const Tracciato& tracciato, int column) {
  const size_t seeds = std::min<size_t>(tracciato.size(), 2);
  for (size_t x = 0; x < seeds; ++x) PutTagged(out, tracciato.seme(x)[column]);

  const std::span<const double> computed = column == 0 ? tracciato.colonna_0() : tracciato.colonna_1();
  for (size_t i = 0; i < computed.size();) {
    const size_t n = std::min(out.Fitting(kDoubleBytes), computed.size() - i);
    char* dst = out.Room(n * kDoubleBytes);
    const double* value = computed.data() + i;
    for (size_t k = 0; k < n; ++k, dst += kDoubleBytes) {
      EncodeFixed16(dst, static_cast<uint16_t>(ValueType::Double));
      EncodeDouble(dst + 2, value[k]);
    }
    out.Used(n * kDoubleBytes);
    i += n;
  }

  size_t empty = tracciato.size() - seeds - computed.size();
  while (empty > 0) {
    const size_t n = std::min(out.Fitting(kEmptyBytes), empty);
    std::memset(out.Room(n * kEmptyBytes), 0, n * kEmptyBytes);
    out.Used(n * kEmptyBytes);
    empty -= n;
  }
}

// "1 byte", "2 bytes": for the messages about a damaged file.
std::string ByteCount(size_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

}  // namespace

size_t TracciatoBytes(const Tracciato& tracciato) {
  const size_t seeds = std::min<size_t>(tracciato.size(), 2);
  size_t total = 0;
  for (size_t x = 0; x < seeds; ++x)
    total += TaggedBytes(tracciato.seme(x)[0]) + TaggedBytes(tracciato.seme(x)[1]);
  const size_t computed = tracciato.calcolati();
  return total + 2 * (computed * kDoubleBytes + (tracciato.size() - seeds - computed) * kEmptyBytes);
}

void EncodeTracciatoInPieces(const Tracciato& tracciato, const PieceSink& put) {
  PieceBuffer out(put);
  PutColumn(out, tracciato, 0);
  PutColumn(out, tracciato, 1);
  out.Flush();
}

std::string EncodeTracciato(const Tracciato& tracciato) {
  std::string bytes;
  bytes.reserve(TracciatoBytes(tracciato));
  EncodeTracciatoInPieces(tracciato, [&bytes](std::string_view piece) { bytes.append(piece); });
  return bytes;
}

std::vector<PuntoTracciato> PuntiDelTracciato(const Tracciato& tracciato) {
  std::vector<PuntoTracciato> points(tracciato.size());
  for (size_t x = 0; x < points.size(); ++x) points[x] = tracciato[x];
  return points;
}

bool DecodeStazioni(std::string_view bytes, std::vector<rec_stazione>* stazioni, std::string* error) {
  stazioni->clear();
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t index = stazioni->size();
    if (index == kNumeroStazioni) {
      *error = "more than " + std::to_string(kNumeroStazioni) + " station records: " +
               ByteCount(bytes.size() - at) + " left after record 86";
      return false;
    }
    if (bytes.size() - at < kStationFixedBytes) {
      *error = "station record " + std::to_string(index) + " is cut short at byte " +
               std::to_string(at) + ": " + ByteCount(bytes.size() - at) +
               " left, a record takes at least 34";
      return false;
    }
    const char* p = bytes.data() + at;
    const size_t n = DecodeFixed16(p + 14);
    if (bytes.size() - at < kStationFixedBytes + n) {
      *error = "station record " + std::to_string(index) + " is cut short at byte " +
               std::to_string(at) + ": its name of " + ByteCount(n) +
               " runs past the end of the file";
      return false;
    }
    rec_stazione r;
    r.tipo_stazione = DecodeByte(p);
    r.inizio_zona = DecodeLong(p + 1);
    r.fine_zona = DecodeLong(p + 5);
    r.progressiva = DecodeLong(p + 9);
    r.par_1 = DecodeByte(p + 13);
    r.nome.assign(p + 16, n);
    const char* q = p + 16 + n;
    r.par_4 = DecodeInteger(q);
    r.par_5 = DecodeInteger(q + 2);
    r.par_7 = DecodeInteger(q + 4);
    r.par_8 = DecodeInteger(q + 6);
    r.par_9 = DecodeInteger(q + 8);
    r.par_6 = DecodeByte(q + 10);
    r.sosta = DecodeByte(q + 11);
    r.par_3 = DecodeByte(q + 12);
    r.par_2 = DecodeByte(q + 13);
    r.orario = DecodeLong(q + 14);
    stazioni->push_back(std::move(r));
    at += kStationFixedBytes + n;
  }
  if (stazioni->size() != kNumeroStazioni) {
    *error = "the file holds " + std::to_string(stazioni->size()) + " station records, not " +
             std::to_string(kNumeroStazioni);
    return false;
  }
  return true;
}

bool DecodePercorso(std::string_view bytes, std::vector<rec_cella>* percorso, std::string* error) {
  percorso->clear();
  if (bytes.size() % kCellBytes != 0) {
    *error = "a cell file is a whole number of 15-byte cells, but this one has " +
             ByteCount(bytes.size()) + " (" + ByteCount(bytes.size() % kCellBytes) +
             " past the last whole cell)";
    return false;
  }
  percorso->reserve(bytes.size() / kCellBytes);
  for (size_t at = 0; at < bytes.size(); at += kCellBytes) {
    const char* p = bytes.data() + at;
    rec_cella c;
    c.tipo_cella = DecodeByte(p);
    c.valore_1 = DecodeInteger(p + 1);
    c.valore_2 = DecodeInteger(p + 3);
    c.valore_3 = DecodeInteger(p + 5);
    c.valore_4 = DecodeInteger(p + 7);
    c.tempo_segnale = DecodeByte(p + 9);
    c.avviso = DecodeByte(p + 10);
    c.montagna = DecodeByte(p + 11);
    c.velocita_limite = DecodeByte(p + 12);
    c.pendenza = DecodeByte(p + 13);
    c.aderenza = DecodeByte(p + 14);
    percorso->push_back(c);
  }
  return true;
}

bool DecodeTracciato(std::string_view bytes, std::vector<PuntoTracciato>* tracciato,
                     std::string* error) {
  tracciato->clear();
  std::vector<TaggedValue> values;
  size_t at = 0;
  while (at < bytes.size()) {
    if (bytes.size() - at < 2) {
      *error = "the line file ends inside a type code at byte " + std::to_string(at);
      return false;
    }
    const uint16_t code = DecodeFixed16(bytes.data() + at);
    at += 2;
    size_t width = 0;
    switch (static_cast<ValueType>(code)) {
      case ValueType::Empty: width = 0; break;
      case ValueType::Integer: width = 2; break;
      case ValueType::Double: width = 8; break;
      default:
        *error = "unknown type code " + std::to_string(code) + " at byte " + std::to_string(at - 2) +
                 " (a line file holds only 0 Empty, 2 Integer and 5 Double)";
        return false;
    }
    if (bytes.size() - at < width) {
      *error = "the line file ends inside the value of element " + std::to_string(values.size()) +
               " at byte " + std::to_string(at);
      return false;
    }
    TaggedValue value;
    value.type = static_cast<ValueType>(code);
    if (width == 2) value.integer = DecodeInteger(bytes.data() + at);
    if (width == 8) value.real = DecodeDouble(bytes.data() + at);
    values.push_back(value);
    at += width;
  }
  if (values.size() % 2 != 0) {
    *error = "the line file holds an odd number of elements (" + std::to_string(values.size()) +
             "): its two columns cannot be of the same length";
    return false;
  }
  const size_t points = values.size() / 2;
  tracciato->resize(points);
  for (size_t x = 0; x < points; ++x) {
    (*tracciato)[x][0] = values[x];
    (*tracciato)[x][1] = values[points + x];
  }
  return true;
}

void WriteCompiledFiles(const ScenarioModel& model, const Workspace& workspace) {
  FileSet compiled(workspace);
  if (model.compila_linea != 0)
    compiled.AddInPieces(CompiledLineName(model.nome_linea),
                         [&model](const PieceSink& put) { EncodeTracciatoInPieces(model.tracciato, put); });
  compiled.Add(StationFileName(model.nome_linea, model.numero_treno), EncodeStazioni(model.stazioni));
  compiled.Add(CellFileName(model.nome_linea, model.numero_treno), EncodePercorso(model.percorso));
  compiled.Replace();
}

}  // namespace scenario
