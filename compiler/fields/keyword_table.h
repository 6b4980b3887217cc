// The keywords of both sources with the values each reads, in order: the
// readers name every line they read by its entry here, so that a failed read
// can say which value of which line it was, and how many the line needs.
#pragma once

#include <cstdint>
#include <span>

namespace scenario {

enum class SourceFile : uint8_t { LineDescription, TrainService };

// How a value is read: a number of one of the three sizes, or a text. The
// field stream holds the readers to it (in builds with assertions).
enum class ValueKind : uint8_t { Long, Integer, Byte, Text };

struct ValueSpec {
  // The value's name in a message: "the station kind", "sx".
  const char* name;
  ValueKind type;
};

struct KeywordSpec {
  SourceFile file;
  // The keyword as an author writes it: "segnale", "curvas3".
  const char* keyword;
  std::span<const ValueSpec> values;
};

namespace keyword {
extern const KeywordSpec kLunghezzaPercorso;
extern const KeywordSpec kProgressivaTre;
extern const KeywordSpec kProgressivaDue;
extern const KeywordSpec kProgressivaUno;
extern const KeywordSpec kSfondoUno;
extern const KeywordSpec kSfondoDue;
extern const KeywordSpec kSfondoTre;
extern const KeywordSpec kRipetizioneSegnali;
extern const KeywordSpec kPendenza;
extern const KeywordSpec kCurva;
extern const KeywordSpec kMontagna;
extern const KeywordSpec kIndicatoriVmax;
extern const KeywordSpec kCartelloIndicatore;
extern const KeywordSpec kMassaFrenata;
extern const KeywordSpec kNumeroVetture;
extern const KeywordSpec kVelocita;
extern const KeywordSpec kAderenza;
extern const KeywordSpec kOrologio;
extern const KeywordSpec kSabbia;
extern const KeywordSpec kSegnale;
extern const KeywordSpec kRallentamento;
extern const KeywordSpec kAbbattimento;
extern const KeywordSpec kStazione;
}  // namespace keyword

// Every keyword, line description first, each file in the order its reader
// tests them.
std::span<const KeywordSpec* const> AllKeywords();

}  // namespace scenario
