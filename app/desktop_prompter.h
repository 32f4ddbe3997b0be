#pragma once
// The desktop program's Prompter: every question is a modal box owned by the
// main window. A question from the worker thread is handed to the user
// interface thread and the worker waits for the answer, while the window
// goes on repainting and its job timer goes on ticking.

#include <QObject>
#include <atomic>
#include <functional>

#include "core/prompter.h"

class QWidget;

namespace kv {

class ShellActions;

class DesktopPrompter final : public QObject, public Prompter {
 public:
  DesktopPrompter(QWidget* owner, ShellActions& shell);

  Answer Ask(const Message& message) override;
  Answer AskCapacityShortage(const CapacityShortage& request) override;

  // The window is going: from now on every question is answered No or Cancel
  // without a box, so a worker waiting for an answer can end.
  void Close() { closed_.store(true); }

 private:
  // Runs `ask` on the user interface thread and returns its answer.
  Answer OnUiThread(const std::function<Answer()>& ask);
  Answer ShowMessage(const Message& message);

  QWidget* owner_;
  ShellActions& shell_;
  std::atomic<bool> closed_{false};
};

}  // namespace kv
