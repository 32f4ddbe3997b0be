#include "tools/validity_verdict.h"

namespace kv {

std::string_view VerdictMark(CheckVerdict verdict) {
  switch (verdict) {
    case CheckVerdict::kOk:
    case CheckVerdict::kRecoveryData:
      return "○";
    case CheckVerdict::kChecksumError:
    case CheckVerdict::kBroken:
      return "▲";
    case CheckVerdict::kUnsupported:
      return "？";
    case CheckVerdict::kCannotOpen:
    case CheckVerdict::kIoError:
      return "×";
    case CheckVerdict::kCancelled:
      break;
  }
  return kCheckingMark;
}

std::string_view VerdictRemark(CheckVerdict verdict) {
  switch (verdict) {
    case CheckVerdict::kChecksumError:
      return "CRCエラー";
    case CheckVerdict::kUnsupported:
      return "未対応";
    case CheckVerdict::kCannotOpen:
      return "ファイルが開けません";
    case CheckVerdict::kBroken:
      return "ファイルが壊れています";
    case CheckVerdict::kIoError:
      return "I/Oエラー";
    case CheckVerdict::kRecoveryData:
      return "修復データ";
    case CheckVerdict::kOk:
    case CheckVerdict::kCancelled:
      break;
  }
  return "";
}

}  // namespace kv
