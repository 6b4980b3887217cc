// The keywords of both sources with the values each reads, in order: the
// readers name every line they read by its entry here, so that a failed read
// can say which value of which line it was, and how many the line needs.
// The same entries tell authors what each line and value is: the section a
// line belongs under, what it does, and each value's unit, range and where
// it is stored. Every tool that describes a line reads it here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace scenario {

enum class SourceFile : uint8_t { LineDescription, TrainService };

// How a value is read: a number of one of the three sizes, or a text. The
// field stream holds the readers to it (in builds with assertions).
enum class ValueKind : uint8_t { Long, Integer, Byte, Text };

struct ValueSpec {
  // The value's name in a message: "the station kind", "sx".
  const char* name;
  ValueKind type;
  // The name of the value in a line to fill in: no comma, no brace.
  const char* placeholder;
  const char* unit;    // "m", "km/h", "per mille", "%", "h", "min", "s", "text" or ""
  const char* range;   // the values that make sense, in words
  const char* stored;  // where and how the compile stores it; "" when it does not
};

// What a line's first value is: the place on the route, in metres, where
// its item stands or from which it holds, or a setting of the whole
// scenario (a length, a count, a clock, a background).
enum class FirstValue : uint8_t { Place, Setting };

struct KeywordSpec {
  SourceFile file;
  // The keyword as the readers' messages name it: "segnale", "curvas3".
  // A family of keywords shares one entry: the curves curvas1 to curvad6,
  // the cab signalling of 4 or of 9 codes.
  const char* keyword;
  std::span<const ValueSpec> values;
  FirstValue first;
  const char* section;  // the header it belongs under, without brackets
  const char* summary;  // what the line does
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

// The keyword that a keyword field of `file` stands for, by the first of
// the readers' tests that recognises it; null for a field none does. The
// general keywords of the line description are matched letter for letter,
// the others ignoring case.
const KeywordSpec* RecogniseKeyword(SourceFile file, std::string_view field);

// The size of a value in words: "a Long, -2147483648 to 2147483647".
std::string SizeText(ValueKind kind);

// What the readers make of the keyword field of a curve line: its class
// (1 to 6) is the lowest digit 1 to 6 in the field, and any 's' in it,
// either case, makes it turn left. Nothing when the field holds no such
// digit, which stops the reading with error 103.
struct CurveKeyword {
  int classe;
  bool left;
};
std::optional<CurveKeyword> ReadCurveKeyword(std::string_view field);

// The number of codes the keyword field of a cab-signalling line gives: 4
// when it holds a '4' (also beside a '9'), else 9 when it holds a '9', else
// 0, which stops the reading with error 5.
int CabSignallingCodes(std::string_view field);

// What the readers make of the keyword field `field` that the test of
// `spec` recognised, in words for an author: "a right curve of class 4",
// "cab signalling with 9 codes"; empty for a keyword whose field says
// nothing more than its name.
std::string KeywordMeaning(const KeywordSpec& spec, std::string_view field);

}  // namespace scenario
