#include "compiler/readers/scenario_reader.h"

#include "compiler/fields/error_numbers.h"
#include "compiler/fields/failure_causes.h"
#include "compiler/readers/line_reader.h"
#include "compiler/fields/reading_rules.h"
#include "compiler/fields/runtime_failure.h"
#include "compiler/readers/train_reader.h"
#include "model/file_names.h"

namespace scenario {

namespace {

std::string ReadWholeSource(const Workspace& workspace, const std::string& name) {
  std::string text;
  Status status = workspace.files.ReadFile(workspace.PathOf(name), &text);
  if (!status.ok()) throw RuntimeFailure("cannot read '" + name + "': " + status.reason());
  return text;
}

// The trap's clean-up: a source that still exists is deleted. A failure here
// leaves the file where it is; the error is recorded all the same.
void DeleteIfPresent(const Workspace& workspace, const std::string& name) {
  const std::string path = workspace.PathOf(name);
  if (workspace.files.FileExists(path)) workspace.files.DeleteFile(path);
}

// The failure as the author should read it. A failure nobody named is
// placed at the last field begun; one on a route never sized is the line
// description's, as a whole.
ReadingFailure CauseOf(const RuntimeFailure& failure, const ScenarioModel& model, const ReadingPlace& place) {
  if (failure.has_cause()) return {failure.at(), failure.cause(), failure.fix()};
  if (model.percorso.empty() && (failure.kind() == RuntimeFailure::Kind::MissingCell ||
                                 failure.kind() == RuntimeFailure::Kind::MissingPlanPoint))
    return {{}, causes::NoRoute()};
  return {place.field, causes::Unnamed(failure)};
}

}  // namespace

OpenSource::OpenSource(const Workspace& workspace, std::string name, ReadingPlace* place,
                       ReadingObserver* observer, const SourceVocabulary* vocabulary)
    : workspace_(workspace),
      name_(std::move(name)),
      place_(place),
      text_(ReadWholeSource(workspace, name_)),
      stream_(text_),
      observer_(observer) {
  if (place_ != nullptr) *place_ = ReadingPlace{name_, {}, {}, std::nullopt, std::nullopt};
  if (observer != nullptr && vocabulary != nullptr)
    warnings_ = std::make_unique<SourceWarnings>(*observer, name_, *vocabulary);
  if (observer != nullptr) {
    relay_ = std::make_unique<ValueRelay>(*observer, name_, warnings_.get());
    stream_.Listen(relay_.get());
  }
}

OpenSource::~OpenSource() {
  if (place_ != nullptr) place_->field = stream_.last_field();
  if (observer_ != nullptr) observer_->SourceEnd(name_);
}

std::string OpenSource::ReadKeyword() {
  stream_.EndValues();
  std::string keyword = stream_.ReadText();
  if (place_ != nullptr) place_->keyword = stream_.last_field();
  if (warnings_) warnings_->KeywordRead(keyword, stream_);
  if (observer_ != nullptr) observer_->KeywordField(name_, keyword, stream_.last_field());
  return keyword;
}

bool OpenSource::ReadKeywordPassingComments(int most_comments, std::string* keyword) {
  if (AtEnd()) return false;
  *keyword = ReadKeyword();
  if (AtEnd()) return WarnLastField(*keyword);
  for (int i = 0; i < most_comments && IsComment(*keyword); ++i) {
    *keyword = ReadKeyword();
    if (AtEnd()) return WarnLastField(*keyword);
  }
  if (warnings_ && most_comments > 0 && IsComment(*keyword))
    warnings_->CommentTaken(*keyword, stream_.last_field(), most_comments);
  return true;
}

bool OpenSource::WarnLastField(const std::string& keyword) {
  if (warnings_ && !IsComment(keyword) && HeaderName(keyword).empty() &&
      keyword.find_first_not_of(" \t") != std::string::npos)
    warnings_->Warn(stream_.last_field(), WarningKind::LastLine,
                    "'" + keyword +
                        "' is the last field of the file, and a keyword field that ends the file is never read, "
                        "values and all: end the file with a line such as [fine]");
  return false;
}

void OpenSource::CloseAndDelete() {
  Status status = workspace_.files.DeleteFile(workspace_.PathOf(name_));
  if (!status.ok()) {
    RuntimeFailure failure("cannot delete '" + name_ + "': " + status.reason());
    failure.SetCause({}, causes::SourceNotDeleted(name_, status.reason()));
    throw failure;
  }
}

void memorizza_dati(ScenarioModel& model, const Workspace& workspace, ReadingPlace* place,
                    ReadingObserver* observer) {
  try {
    model.stazioni[kRecordScenario].nome = model.nome_linea;
    model.stazioni[kRecordTreno].nome = model.numero_treno;
    LineReadOutcome line = ReadLineDescription(model, workspace, place, observer);
    if (line.train_half_runs) ReadTrainService(model, workspace, line.indice_cartello, place, observer);
  } catch (const RuntimeFailure& failure) {
    // Every open source has been closed on the way out.
    DeleteIfPresent(workspace, LineSourceName(model.nome_linea));
    DeleteIfPresent(workspace, TrainSourceName(model.nome_linea, model.numero_treno));
    model.codice_errore = error_number::kReadFailure;
    if (place != nullptr) place->failure = CauseOf(failure, model, *place);
  }
}

}  // namespace scenario
