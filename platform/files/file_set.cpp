#include "platform/files/file_set.h"

#include <algorithm>
#include <optional>
#include <thread>

#include "platform/files/directory_lock.h"
#include "platform/files/temporary_names.h"

namespace scenario {

namespace {

using Clock = std::chrono::steady_clock;

// The first line of a set's record: what the file is.
constexpr std::string_view kRecordHeading = "scenario-compactor: files replaced as one set\n";
constexpr std::string_view kRecordEnd = "end\n";

// One file of a set being replaced, by path.
struct Member {
  std::string name;    // its name in the directory, as the user is told it
  std::string target;  // where it belongs
  std::string fresh;   // the new file, under its temporary name
  std::string aside;   // the old file kept aside; empty when there was none
};

// The name at the end of a path.
std::string NameOf(const std::string& path) {
  const std::string::size_type separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// A path of the workspace for the old file `name` kept aside, or (without
// a name) for a set's record, of this process and that no file has now.
std::string UnusedTemporaryPath(FileSystem& files, const Workspace& workspace, const std::string& name) {
  for (unsigned long counter = 0;; ++counter) {
    const std::string path = workspace.PathOf(
        name.empty() ? SetRecordNameFor(files.ProcessNumber(), counter)
                     : TemporaryNameFor(name, files.ProcessNumber(), counter, TemporaryKind::OldFile));
    if (!files.FileExists(path)) return path;
  }
}

// A name in the record: its length, a blank, its bytes and a line end, so
// that any byte a name may hold reads back as it was.
void PutName(std::string* text, const std::string& name) {
  *text += std::to_string(name.size());
  *text += ' ';
  *text += name;
  *text += '\n';
}

std::string RecordText(const std::vector<Member>& members) {
  std::string text(kRecordHeading);
  text += std::to_string(members.size());
  text += '\n';
  for (const Member& member : members) {
    PutName(&text, NameOf(member.target));
    PutName(&text, NameOf(member.fresh));
    PutName(&text, member.aside.empty() ? std::string() : NameOf(member.aside));
  }
  text += kRecordEnd;
  return text;
}

// Reads what PutName wrote, or a number on a line of its own.
class RecordReader {
 public:
  explicit RecordReader(std::string_view text) : rest_(text) {}

  bool Take(std::string_view expected) {
    if (rest_.substr(0, expected.size()) != expected) return false;
    rest_.remove_prefix(expected.size());
    return true;
  }
  bool Number(size_t* value, char after) {
    size_t digits = 0;
    size_t number = 0;
    while (digits < rest_.size() && rest_[digits] >= '0' && rest_[digits] <= '9') {
      if (digits == 6) return false;
      number = number * 10 + static_cast<size_t>(rest_[digits] - '0');
      ++digits;
    }
    if (digits == 0 || digits >= rest_.size() || rest_[digits] != after) return false;
    rest_.remove_prefix(digits + 1);
    *value = number;
    return true;
  }
  bool Name(std::string* name) {
    size_t length = 0;
    if (!Number(&length, ' ') || rest_.size() < length + 1 || rest_[length] != '\n') return false;
    name->assign(rest_.substr(0, length));
    rest_.remove_prefix(length + 1);
    return true;
  }
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

// The members a record names, as paths of the workspace; nothing when the
// record is not one this program wrote whole.
std::optional<std::vector<Member>> ReadRecord(const Workspace& workspace, std::string_view text) {
  RecordReader reader(text);
  size_t count = 0;
  if (!reader.Take(kRecordHeading) || !reader.Number(&count, '\n')) return std::nullopt;
  std::vector<Member> members;
  for (size_t i = 0; i < count; ++i) {
    std::string target;
    std::string fresh;
    std::string aside;
    if (!reader.Name(&target) || !reader.Name(&fresh) || !reader.Name(&aside)) return std::nullopt;
    // Only the files of a set: its own names and temporary names beside
    // them, never a path elsewhere.
    unsigned long process = 0;
    TemporaryKind kind = TemporaryKind::NewFile;
    const auto plain = [](const std::string& name) {
      return !name.empty() && name.find_first_of("/\\") == std::string::npos && name != "." && name != "..";
    };
    if (!plain(target) || !plain(fresh) || !IsTemporaryName(fresh, &process, &kind) ||
        kind != TemporaryKind::NewFile)
      return std::nullopt;
    if (!aside.empty() && (!plain(aside) || !IsTemporaryName(aside, &process, &kind) || kind != TemporaryKind::OldFile))
      return std::nullopt;
    members.push_back({target, workspace.PathOf(target), workspace.PathOf(fresh),
                       aside.empty() ? std::string() : workspace.PathOf(aside)});
  }
  if (!reader.Take(kRecordEnd) || !reader.AtEnd()) return std::nullopt;
  return members;
}

// Why a file could not be replaced, as far as the user can do something
// about it.
enum class Obstacle { None, Held, ReadOnly };

// What a failed rename onto `target` comes from. Windows refuses to
// replace a file another program holds open, with a sharing violation or
// with "access denied"; the file itself tells which.
Obstacle ObstacleOf(FileSystem& files, const Status& failure, const std::string& target) {
  if (failure.code() == StatusCode::InUse) return Obstacle::Held;
  if (failure.code() != StatusCode::PermissionDenied || !files.FileExists(target)) return Obstacle::None;
  const Status check = files.CheckReplaceable(target);
  if (check.code() == StatusCode::InUse) return Obstacle::Held;
  if (check.code() == StatusCode::ReadOnly) return Obstacle::ReadOnly;
  return Obstacle::None;
}

[[noreturn]] void Fail(const Status& failure, const std::string& name, Obstacle obstacle) {
  switch (obstacle) {
    case Obstacle::Held: throw SystemFailure("replace", name, kHeldFileReason);
    case Obstacle::ReadOnly: throw SystemFailure("replace", name, kReadOnlyFileReason);
    case Obstacle::None: break;
  }
  throw SystemFailure(failure.operation(), name, failure.reason());
}

// The wait for files another program holds open: until a deadline, told
// once.
class HeldFileWait {
 public:
  explicit HeldFileWait(const Workspace& workspace)
      : workspace_(workspace), deadline_(Clock::now() + workspace.held_file_wait) {}

  // Waits a little when time is left, after telling the user (the first
  // time) that the file at `path` is held; false when the time is up.
  bool Pause(const std::string& path) {
    if (!told_) {
      told_ = true;
      if (workspace_.tell)
        workspace_.tell("'" + path + "' is open in another program, perhaps the simulator; waiting for it to be let go (at most " +
                        DescribeWait(workspace_.held_file_wait) + ")");
    }
    const Clock::time_point now = Clock::now();
    if (now >= deadline_) return false;
    std::this_thread::sleep_for(std::min<Clock::duration>(pause_, deadline_ - now));
    pause_ = std::min(pause_ * 2, std::chrono::milliseconds(100));
    return true;
  }

 private:
  const Workspace& workspace_;
  Clock::time_point deadline_;
  std::chrono::milliseconds pause_{2};
  bool told_ = false;
};

// The first of `members` that cannot be replaced now, with why; nothing
// when all can.
std::optional<std::pair<size_t, Status>> FirstObstacle(FileSystem& files, const std::vector<Member>& members) {
  for (size_t i = 0; i < members.size(); ++i) {
    const Status check = files.CheckReplaceable(members[i].target);
    if (check.code() == StatusCode::InUse || check.code() == StatusCode::ReadOnly) return std::pair{i, check};
  }
  return std::nullopt;
}

Obstacle ObstacleOfCheck(const Status& check) {
  return check.code() == StatusCode::ReadOnly ? Obstacle::ReadOnly : Obstacle::Held;
}

// One set on its way into place: its members, and the record that names
// them ("" for a set of one file, which needs none).
class Replacement {
 public:
  Replacement(const Workspace& workspace, std::vector<Member> members, std::string record)
      : workspace_(workspace), files_(workspace.files), members_(std::move(members)), record_(std::move(record)) {}

  // Puts every new file in place, waiting for held files; on failure puts
  // back the old files, removes the new ones and the record, and throws.
  void Carry() {
    HeldFileWait wait(workspace_);
    for (;;) {
      Status failure;
      size_t at = 0;
      Obstacle obstacle = Obstacle::None;
      if (std::optional<std::pair<size_t, Status>> found = FirstObstacle(files_, members_)) {
        at = found->first;
        failure = found->second;
        obstacle = ObstacleOfCheck(failure);
      } else {
        failure = Forward(&at);
        if (failure.ok()) break;
        obstacle = ObstacleOf(files_, failure, members_[at].target);
      }
      size_t stuck = 0;
      const Status undone = Undo(&stuck);
      if (!undone.ok())
        throw SystemFailure(undone.operation(), members_[stuck].name,
                            undone.reason() + "; some of the files are new and some old, and the next run in "
                            "this directory puts the rest of the new ones in place");
      if (obstacle == Obstacle::Held && wait.Pause(members_[at].target)) continue;
      Discard();
      Fail(failure, members_[at].name, obstacle);
    }
    Finish();
  }

 private:
  // Each member not yet in place: its old file aside, its new file in.
  Status Forward(size_t* at) {
    for (size_t i = 0; i < members_.size(); ++i) {
      const Member& member = members_[i];
      *at = i;
      if (!files_.FileExists(member.fresh)) continue;  // in place already
      if (!member.aside.empty() && !files_.FileExists(member.aside) && files_.FileExists(member.target)) {
        const Status aside = files_.RenameFile(member.target, member.aside);
        if (!aside.ok()) return aside;
      }
      const Status in = files_.RenameFile(member.fresh, member.target);
      if (!in.ok()) return in;
    }
    return Status::Ok();
  }

  // Each member back to where it was before Forward: the new file under
  // its temporary name again, the old one in its place.
  Status Undo(size_t* stuck) {
    for (size_t i = members_.size(); i-- > 0;) {
      const Member& member = members_[i];
      *stuck = i;
      const bool in_place = !files_.FileExists(member.fresh) &&
                            (member.aside.empty() ? files_.FileExists(member.target) : files_.FileExists(member.aside));
      if (in_place && !record_.empty()) {
        const Status out = files_.RenameFile(member.target, member.fresh);
        if (!out.ok()) return out;
      }
      if (!member.aside.empty() && files_.FileExists(member.aside)) {
        const Status back = files_.RenameFile(member.aside, member.target);
        if (!back.ok()) return back;
      }
    }
    return Status::Ok();
  }

  // After a set given up: no record, no new file.
  void Discard() {
    if (!record_.empty()) files_.DeleteFile(record_);
    for (const Member& member : members_)
      if (files_.FileExists(member.fresh)) files_.DeleteFile(member.fresh);
  }

  // After a set in place: the renames made lasting, then the record and the
  // old files removed. What cannot be removed is told; the next run removes
  // it.
  void Finish() {
    if (record_.empty()) return;
    RequireOk(files_.SyncDirectory(workspace_.directory), workspace_.directory);
    const Status removed = files_.DeleteFile(record_);
    if (!removed.ok()) {
      Tell("cannot delete '" + record_ + "': " + removed.reason() +
           "; the set it records is in place, and the next run in this directory deletes it");
      return;
    }
    for (const Member& member : members_) {
      if (member.aside.empty() || !files_.FileExists(member.aside)) continue;
      const Status gone = files_.DeleteFile(member.aside);
      if (!gone.ok())
        Tell("cannot delete the old file kept aside '" + member.aside + "': " + gone.reason() +
             "; it is no file of the scenario and can be deleted");
    }
  }

  void Tell(const std::string& notice) {
    if (workspace_.tell) workspace_.tell(notice);
  }

  const Workspace& workspace_;
  FileSystem& files_;
  std::vector<Member> members_;
  std::string record_;
};

}  // namespace

FileSet::FileSet(const Workspace& workspace) : workspace_(workspace) {}

FileSet::~FileSet() {
  if (done_) return;
  for (const Added& added : added_) workspace_.files.DeleteFile(added.temporary);
}

void FileSet::Add(std::string_view name, std::string_view contents) {
  AddInPieces(name, [contents](const PieceSink& put) { put(contents); });
}

void FileSet::AddInPieces(std::string_view name, const PieceWriter& write) {
  std::string temporary;
  RequireOk(workspace_.files.WriteTemporaryFile(workspace_.PathOf(name), write, &temporary), name);
  added_.push_back({std::string(name), std::move(temporary)});
}

std::vector<std::string> FileSet::names() const {
  std::vector<std::string> names;
  for (const Added& added : added_) names.push_back(added.name);
  return names;
}

void FileSet::Replace() {
  FileSystem& files = workspace_.files;
  std::vector<Member> members;
  for (const Added& added : added_) members.push_back({added.name, workspace_.PathOf(added.name), added.temporary, ""});
  std::string record;
  if (members.size() > 1) {
    // The old files are kept aside under names chosen now, so that the
    // record can name them before any is moved.
    for (Member& member : members)
      if (files.FileExists(member.target))
        member.aside = UnusedTemporaryPath(files, workspace_, member.name);
    const std::string record_path = UnusedTemporaryPath(files, workspace_, "");
    const std::string record_name = NameOf(record_path);
    // Written whole under a temporary name and renamed: a record in place
    // is always whole. It outlasts a power loss before any old file moves.
    std::string temporary;
    RequireOk(files.WriteTemporaryFile(record_path, [&members](const PieceSink& put) { put(RecordText(members)); },
                                       &temporary),
              record_name);
    const Status placed = files.RenameFile(temporary, record_path);
    if (!placed.ok()) {
      files.DeleteFile(temporary);
      RequireOk(placed, record_name);
    }
    const Status synced = files.SyncDirectory(workspace_.directory);
    if (!synced.ok()) {
      files.DeleteFile(record_path);
      RequireOk(synced, workspace_.directory);
    }
    record = record_path;
  }
  // From here the new files are the set's: a failure removes them, or
  // leaves them to the next run with the record.
  done_ = true;
  Replacement(workspace_, std::move(members), std::move(record)).Carry();
}

void WaitUntilReplaceable(const Workspace& workspace, const std::vector<std::string>& names) {
  std::vector<Member> members;
  for (const std::string& name : names) members.push_back({name, workspace.PathOf(name), "", ""});
  HeldFileWait wait(workspace);
  while (std::optional<std::pair<size_t, Status>> found = FirstObstacle(workspace.files, members)) {
    const Obstacle obstacle = ObstacleOfCheck(found->second);
    const Member& member = members[found->first];
    if (obstacle == Obstacle::Held && wait.Pause(member.target)) continue;
    Fail(found->second, member.name, obstacle);
  }
}

void FinishInterruptedSets(const Workspace& workspace) {
  FileSystem& files = workspace.files;
  std::vector<std::string> names;
  const Status listed = files.ListDirectory(workspace.directory, &names);
  // A directory that is not there holds no record; the run's first file
  // tells what is wrong with it.
  if (listed.code() == StatusCode::NotFound) return;
  RequireOk(listed, workspace.directory);
  for (const std::string& name : names) {
    unsigned long process = 0;
    TemporaryKind kind = TemporaryKind::NewFile;
    if (!IsTemporaryName(name, &process, &kind) || kind != TemporaryKind::SetRecord) continue;
    const std::string record = workspace.PathOf(name);
    std::string text;
    RequireOk(files.ReadFile(record, &text), name);
    std::optional<std::vector<Member>> members = ReadRecord(workspace, text);
    if (!members)
      throw SystemFailure("read", name,
                          "it is no record of a set of files that this program wrote whole; move it out "
                          "of the directory and run again");
    Replacement(workspace, std::move(*members), record).Carry();
  }
}

}  // namespace scenario
