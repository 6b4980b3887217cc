// The readers of the two sources and the placement of signals and slowdowns
// into the route.
//
// The reader of both text sources: the line description, then the train
// service. Faults are recorded in the model's error slot; a run-time failure
// in either half is trapped and recorded as error 25.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "compiler/fields/field_stream.h"
#include "compiler/fields/reading_observer.h"
#include "compiler/fields/source_warnings.h"
#include "model/scenario_model.h"
#include "platform/files/workspace.h"

namespace scenario {

// Why the reading failed (error 25), told for the author: where to look in
// the source being read (line 0: the file as a whole) and the cause.
struct ReadingFailure {
  FieldPosition at;
  std::string cause;
  // The edit that puts the cause right, where the reader knows one.
  std::optional<SourceEdit> fix = {};
};

// Where the reading stood when it ended: the source being read, the keyword
// field of the line being handled, and the last field begun. Empty `file`
// when no source was opened. After a run-time failure, its cause.
struct ReadingPlace {
  std::string file;
  FieldPosition keyword;
  FieldPosition field;
  std::optional<ReadingFailure> failure;
  // After a reader stopped with another error number, why, where a reader
  // can tell.
  std::optional<ReadingFailure> stop;
};

// Reads both sources into the model and deletes them. `place`, when given,
// receives where the reading ended; `observer`, when given, hears the
// warnings of the reading. Neither changes what is read.
void memorizza_dati(ScenarioModel& model, const Workspace& workspace, ReadingPlace* place = nullptr,
                    ReadingObserver* observer = nullptr);

// A text source open for reading: its whole text, cut into fields.
class OpenSource {
 public:
  // Reads the whole file `name` of the workspace; a failure to read it is a
  // RuntimeFailure. With an observer, the source's warnings go to it.
  OpenSource(const Workspace& workspace, std::string name, ReadingPlace* place,
             ReadingObserver* observer = nullptr, const SourceVocabulary* vocabulary = nullptr);
  // Records the last field begun in the reading place, and tells the
  // observer that the source has ended.
  ~OpenSource();
  OpenSource(const OpenSource&) = delete;
  OpenSource& operator=(const OpenSource&) = delete;

  FieldStream& fields() { return stream_; }
  // The source's warnings; null when nobody listens.
  SourceWarnings* warnings() { return warnings_.get(); }
  bool AtEnd() const { return stream_.AtEnd(); }
  // Reads a text field as the keyword field of a line.
  std::string ReadKeyword();
  // Reads the keyword field of the next line into `keyword`, passing over up
  // to `most_comments` comment fields before it. False once the file has
  // ended, before or at any of these reads: the field that reached the end
  // is not interpreted.
  bool ReadKeywordPassingComments(int most_comments, std::string* keyword);
  // The keyword field that reached the end of the file, never interpreted:
  // warned of unless it is a header or a comment. Returns false.
  bool WarnLastField(const std::string& keyword);
  // Records why the reading stops with an error number: where the cause
  // lies and what it is.
  void ExplainStop(FieldPosition at, std::string cause) {
    if (place_ != nullptr) place_->stop = ReadingFailure{at, std::move(cause)};
  }
  // Closes the source and deletes its file; a failure to delete it is a
  // RuntimeFailure.
  void CloseAndDelete();
  // What is stored from now until WritingDone is stored for the line that
  // gave the value at `value` (see ReadingObserver::WritingFor).
  void WritingFor(FieldPosition value) {
    if (observer_ != nullptr) observer_->WritingFor(name_, value);
  }
  void WritingDone() {
    if (observer_ != nullptr) observer_->WritingDone(name_);
  }

 private:
  const Workspace& workspace_;
  std::string name_;
  ReadingPlace* place_;
  std::string text_;
  FieldStream stream_;
  std::unique_ptr<SourceWarnings> warnings_;
  ReadingObserver* observer_;
  // Passes the stream's values on to the observer, with the source's name.
  class ValueRelay : public ValueListener {
   public:
    // `warnings` (null: none) hears the values too.
    ValueRelay(ReadingObserver& observer, const std::string& file, SourceWarnings* warnings)
        : observer_(observer), file_(file), warnings_(warnings) {}
    void LineValues(const KeywordSpec& spec, const FieldPosition& keyword) override {
      observer_.LineValues(file_, spec, keyword);
      if (warnings_ != nullptr) warnings_->LineValues(spec);
    }
    void ValueRead(size_t index, const FieldPosition& at, int64_t number, const std::string* text) override {
      observer_.ValueRead(file_, index, at, number, text);
      if (warnings_ != nullptr && text == nullptr) warnings_->NumberRead(index, at, number);
    }

   private:
    ReadingObserver& observer_;
    const std::string& file_;
    SourceWarnings* warnings_;
  };
  std::unique_ptr<ValueRelay> relay_;
};

// Stores for an earlier line while it lives: the cells of a step, filled
// once the step's end is known.
class WritingForLine {
 public:
  WritingForLine(OpenSource& source, FieldPosition value) : source_(source) { source_.WritingFor(value); }
  ~WritingForLine() { source_.WritingDone(); }
  WritingForLine(const WritingForLine&) = delete;
  WritingForLine& operator=(const WritingForLine&) = delete;

 private:
  OpenSource& source_;
};

}  // namespace scenario
