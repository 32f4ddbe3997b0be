#pragma once
// Small steps both divide engines share: filling a "%s" text, the refusals
// and error boxes they show, and creating a piece file.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/job_end.h"
#include "core/text_fill.h"
#include "platform/binary_file.h"
#include "platform/step_copy.h"
#include "platform/system_calls.h"

namespace kv {

class Prompter;

// One block of a divide's copy loop (CopyBlockOfSteps), never past `owed`,
// the bytes the piece still takes, nor `remaining`, the source's bytes still
// to go; each step is counted off both. False when the job must stop: a
// cancel, a step the source cannot fill or a failed write (the input/output
// error shown); `end` then says why. A source read to its end (a stream of
// unknown length, `copy.readToItsEnd`) that ends is no failure: nothing
// remains of it then.
bool CopyDivideBlock(const StepCopy& copy, Prompter& prompter, JobEnd& end, std::int64_t& owed,
                     std::int64_t& remaining,
                     const std::function<void(const std::byte*, std::size_t)>& onStep,
                     const std::function<void()>& progress);

// Shows "予期せぬエラーが発生しました。" (OK, stop icon) and ends the job as failed. Always false.
bool FailUnexpectedly(Prompter& prompter, JobEnd& end);

// Shows that the series has as many pieces as it can number, `mostPieces`
// (OK, stop icon), and ends the job as failed. Always false.
bool FailAtPieceLimit(Prompter& prompter, JobEnd& end, std::int64_t mostPieces);

// The source as the job found it when it opened it. A regular file that
// another program writes to during the divide would leave a series of bytes
// that never stood in the file together, so its end is checked against this.
struct SourceWatch {
  FileFacts atStart;
  bool watched = false;  // false when fstat could not tell
};
SourceWatch WatchSource(const BinaryFile& source);
// Opens the source a divide reads and watches it. A source that cannot be
// opened, or is no longer a regular file (a pipe put in its place after the
// analysis), is an input/output error before the first step: the error box
// has been shown when the failure comes back.
Result<std::unique_ptr<BinaryFile>> OpenWatchedSource(Prompter& prompter, const std::string& name,
                                                      SourceWatch& watch);
// At the end of a divide: when the watched source's size or modification
// time changed, the input/output error box is shown and the job fails. False then.
bool SourceUnchanged(Prompter& prompter, JobEnd& end, const BinaryFile& source,
                     const SourceWatch& watch);

// True when `piece` is the source itself; the refusal has then been shown
// (caption "Kolvanto", warning icon, OK) and the job ends as refused.
bool RefuseWritingOverSource(Prompter& prompter, JobEnd& end, const std::string& piece,
                             const std::string& source);

// Closes a finished piece. On a removable medium the piece is first put on
// the medium, its bytes (fsync of the file) and its name (fsync of its
// folder), so that the medium may be taken out at the next-medium question or
// at the end. False when any of it fails: the input/output error has been
// shown and `end` holds the errno and the file or folder it failed on.
bool ClosePiece(Prompter& prompter, JobEnd& end, std::unique_ptr<BinaryFile>& piece,
                bool onRemovable);

// Creates a new piece (exclusively, never through a link). When it cannot be created the user is
// told "ファイルを作成できません" (warning icon): with `offerRetry` as Retry/Cancel, trying again
// on Retry; otherwise with OK. Either way the job that stops there fails with
// the failure that comes back.
Result<std::unique_ptr<BinaryFile>> CreatePiece(Prompter& prompter, const std::string& piece,
                                                bool offerRetry);
// Creates a piece after the first. On a fixed drive what a divide writes
// over without asking (a link, the link itself and never its target, or a
// file) is removed first, and a failed removal fails the job like a failed
// creation; on a removable medium the next-medium prompt has settled the name.
Result<std::unique_ptr<BinaryFile>> CreateFollowingPiece(Prompter& prompter,
                                                         const std::string& piece, bool offerRetry,
                                                         bool onFixedDrive);

// Takes the file that `opened` holds into `file`; when it holds a failure
// `file` is emptied, the job ends failed with it and false comes back.
bool TakeOpened(Result<std::unique_ptr<BinaryFile>> opened, std::unique_ptr<BinaryFile>& file,
                JobEnd& end);

}  // namespace kv
