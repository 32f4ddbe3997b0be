#pragma once
// What the window's recovery commands show: how many pieces the recovery
// data is to rebuild, and a box saying that work is under way, with a
// cancel button, while that work runs on a thread of its own.

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace kv {

// The count field, starting at `initial` and taking 1 to `most`; nothing when cancelled.
std::optional<int> AskRecoveryPieces(QWidget* owner, int initial, int most);

// Runs `work` off the user interface thread, handing it the stop check the
// cancel button sets, while a modal box owned by `owner` reads `label` and
// the window's events go on. Returns once `work` has returned.
void RunWithProgress(QWidget* owner, const QString& label,
                     const std::function<void(const std::function<bool()>& stopAsked)>& work);

}  // namespace kv
