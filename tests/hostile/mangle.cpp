#include "tests/hostile/mangle.h"

#include <algorithm>
#include <filesystem>

#include "tests/support/temp_dir.h"

namespace kv::test {

namespace {

int Below(std::mt19937& random, int bound) {
  return bound <= 1 ? 0 : std::uniform_int_distribution<int>(0, bound - 1)(random);
}

std::uint8_t NonZeroByte(std::mt19937& random) {
  return static_cast<std::uint8_t>(1 + Below(random, 255));
}

// Flips one byte in [from, to) of `bytes`, clipped to what the piece still holds.
// Returns the offset flipped, or -1 when nothing is left to flip there.
std::int64_t FlipIn(Bytes& bytes, std::int64_t from, std::int64_t to, std::mt19937& random) {
  to = std::min<std::int64_t>(to, static_cast<std::int64_t>(bytes.size()));
  if (from >= to) {
    return -1;
  }
  const std::int64_t at = from + Below(random, static_cast<int>(to - from));
  bytes[static_cast<std::size_t>(at)] ^= NonZeroByte(random);
  return at;
}

}  // namespace

Answer RandomPrompter::Ask(const Message& message) {
  std::lock_guard lock(mutex_);
  messages_.push_back(message);
  Answer answer = Answer::kOk;
  switch (message.buttons) {
    case Buttons::kOk:
      answer = Answer::kOk;
      break;
    case Buttons::kYesNo:
      answer = Below(random_, 2) == 0 ? Answer::kYes : Answer::kNo;
      // A Yes to a forcing question takes a piece the checks refused.
      if (answer == Answer::kYes && (message.kind == MessageKind::kForceDamagedPiece ||
                                     message.kind == MessageKind::kForceForeignPiece)) {
        forcedOn_ = true;
      }
      break;
    case Buttons::kRetryCancel:
      answer =
          retriesInARow_ < maxRetries_ && Below(random_, 3) != 0 ? Answer::kRetry : Answer::kCancel;
      break;
  }
  retriesInARow_ = answer == Answer::kRetry ? retriesInARow_ + 1 : 0;
  answers_.push_back(answer);
  return answer;
}

Answer RandomPrompter::AskCapacityShortage(const CapacityShortage&) {
  std::lock_guard lock(mutex_);
  ++shortages_;
  return Answer::kCancel;
}

std::string RandomPrompter::Transcript() const {
  std::string out;
  for (const Message& m : messages_) {
    out += m.caption + "|" + m.text + "\n";
  }
  return out;
}

const char* DamageName(Damage damage) {
  switch (damage) {
    case Damage::kFlipHeader:
      return "flip-header";
    case Damage::kFlipBody:
      return "flip-body";
    case Damage::kFlipTrailer:
      return "flip-trailer";
    case Damage::kTruncate:
      return "truncate";
    case Damage::kDelete:
      return "delete";
    case Damage::kSwap:
      return "swap";
    case Damage::kAppendJunk:
      return "append-junk";
    case Damage::kForeign:
      return "foreign";
  }
  return "?";
}

DamagedSeries DamageSeries(const WrittenSeries& series, const WrittenSeries& foreign, int count,
                           std::mt19937& random) {
  DamagedSeries d;
  const std::size_t n = series.pieces.size();
  for (const std::string& name : series.pieces) {
    d.pieces.push_back(ReadFileBytes(name));
  }
  d.deleted.assign(n, false);
  d.pieceDamage.assign(n, {});
  const bool type3 = series.layout.type == 3;
  const auto stubSize = static_cast<std::int64_t>(series.layout.stub.size());

  for (int k = 0; k < count; ++k) {
    auto damage = static_cast<Damage>(Below(random, 8));
    if (damage == Damage::kSwap && n < 3) {
      damage = Damage::kFlipBody;
    }
    if (damage == Damage::kFlipTrailer && !type3) {
      damage = Damage::kFlipBody;
    }
    std::size_t i = static_cast<std::size_t>(Below(random, static_cast<int>(n)));
    Bytes& bytes = d.pieces[i];
    const std::int64_t headerFrom = i == 0 ? stubSize : 0;
    const std::int64_t bodyFrom = series.bodyOffsets[i];
    const std::int64_t bodyEnd = bodyFrom + series.bodyLengths[i];
    std::string what = std::string(DamageName(damage)) + " p" + std::to_string(i + 1);

    switch (damage) {
      case Damage::kFlipHeader: {
        // A Type1 following piece has no header: the first piece's is taken.
        if (bodyFrom == 0) {
          i = 0;
          what = "flip-header p1";
        }
        Bytes& target = d.pieces[i];
        const std::int64_t to = series.bodyOffsets[i];
        const std::int64_t from = i == 0 ? stubSize : 0;
        for (int flips = 1 + Below(random, 2); flips > 0; --flips) {
          what += "@" + std::to_string(FlipIn(target, from, to, random));
        }
        break;
      }
      case Damage::kFlipBody:
        for (int flips = 1 + Below(random, 3); flips > 0; --flips) {
          const std::int64_t at = FlipIn(bytes, bodyFrom, bodyEnd, random);
          what += "@" + std::to_string(at);
          if (at >= 0) {
            d.pieceDamage[i].bodyOrChecksumAltered = true;
          }
        }
        break;
      case Damage::kFlipTrailer: {
        const std::int64_t at =
            FlipIn(bytes, bodyEnd, static_cast<std::int64_t>(bytes.size()), random);
        what += "@" + std::to_string(at);
        if (at >= 0 && at < bodyEnd + 2) {
          d.pieceDamage[i].bodyOrChecksumAltered = true;
        }
        break;
      }
      case Damage::kTruncate: {
        const auto size = static_cast<std::int64_t>(bytes.size());
        // One cut in three lands inside the header (or at 0).
        const std::int64_t cut =
            Below(random, 3) == 0
                ? headerFrom + Below(random, static_cast<int>(bodyFrom - headerFrom + 1))
                : Below(random, static_cast<int>(std::max<std::int64_t>(size, 1)));
        if (cut < size) {
          bytes.resize(static_cast<std::size_t>(cut));
          if (cut < bodyEnd) {
            d.pieceDamage[i].cutInsideBody = true;
          }
        }
        what += "@" + std::to_string(cut);
        break;
      }
      case Damage::kDelete:
        d.deleted[i] = true;
        break;
      case Damage::kSwap: {
        const auto a = static_cast<std::size_t>(1 + Below(random, static_cast<int>(n - 1)));
        auto b = static_cast<std::size_t>(1 + Below(random, static_cast<int>(n - 2)));
        if (b >= a) {
          ++b;
        }
        std::swap(d.pieces[a], d.pieces[b]);
        std::swap(d.pieceDamage[a], d.pieceDamage[b]);
        what = "swap p" + std::to_string(a + 1) + " p" + std::to_string(b + 1);
        break;
      }
      case Damage::kAppendJunk: {
        const Bytes junk = RandomBytes(static_cast<std::size_t>(1 + Below(random, 3000)),
                                       static_cast<std::uint32_t>(random()));
        bytes.insert(bytes.end(), junk.begin(), junk.end());
        break;
      }
      case Damage::kForeign:
        if (i < foreign.pieces.size()) {
          bytes = ReadFileBytes(foreign.pieces[i]);
          d.pieceDamage[i] = {};
        }
        break;
    }
    d.damages.push_back(damage);
    d.description += what + "; ";
  }
  return d;
}

void WriteDamaged(const WrittenSeries& series, const DamagedSeries& damaged) {
  for (std::size_t i = 0; i < series.pieces.size(); ++i) {
    if (damaged.deleted[i]) {
      std::filesystem::remove(series.pieces[i]);
    } else {
      WriteFileBytes(series.pieces[i], damaged.pieces[i]);
    }
  }
}

AnalysisBench::AnalysisBench(std::uint32_t seed)
    : prompter(seed),
      planner(settings, job, stubs, prompter, volumes, view,
              [](WorkerKind, const WorkerContext& c) { c.job.RunState.store(kRunIdle); }) {
  settings.DivideSizePresets = BuiltInPresets();
  planner.Texts().sizeText = "1,457,664Bytes (1.44MB)";
}

void AnalysisBench::Analyse(const std::string& path) {
  planner.Texts().source = path;
  job.SourceChanged = 1;
  planner.AnalyseSource();
}

}  // namespace kv::test
