#include "tests/widget_support/widget_test_support.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QTimer>

namespace kv::test {

namespace {

// Created before the first test runs (not while tests are only being listed).
class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
      qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    app_ = new QApplication(argc_, argv_);
  }
  void TearDown() override { delete app_; }

 private:
  int argc_ = 1;
  char name_[16] = "widget_tests";
  char* argv_[2] = {name_, nullptr};
  QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

constexpr int kPollMs = 10;

void Poll(const QString& className, std::function<void(QWidget*)> handler, int triesLeft) {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal != nullptr && modal->isVisible() && modal->inherits(className.toLatin1().constData())) {
    handler(modal);
    return;
  }
  if (triesLeft > 0) {
    QTimer::singleShot(kPollMs, [className, handler = std::move(handler), triesLeft]() mutable {
      Poll(className, std::move(handler), triesLeft - 1);
    });
  }
}

}  // namespace

void OnNextModal(const char* className, std::function<void(QWidget*)> handler) {
  // Gives up after about ten seconds so that a missing dialog fails the test instead of hanging.
  QTimer::singleShot(0, [name = QString::fromLatin1(className), handler = std::move(handler)] {
    Poll(name, handler, 1000);
  });
}

void AnswerNextMessageBox(SeenMessage& seen) {
  OnNextModal("QMessageBox", [&seen](QWidget* widget) {
    auto* box = static_cast<QMessageBox*>(widget);
    seen = {box->text(), box->windowTitle(), box->icon()};
    box->button(QMessageBox::Ok)->click();
  });
}

ModalCloser::ModalCloser() {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      ++closed_;
      modal->reject();
    }
  });
  timer_.start(50);
}

void SavePicture(QWidget& widget, const std::string& name) {
  const QString path =
      QStringLiteral(KV_PICTURE_DIR "/") + QString::fromStdString(name) + QStringLiteral(".png");
  EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
}

}  // namespace kv::test
