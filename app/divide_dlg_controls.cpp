// The main window's controls: their places in dialog units, their labels,
// object names and tab order, and what each control does.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "app/dialog_font.h"
#include "app/divide_dlg.h"
#include "app/window_texts.h"
#include "dialogs/command_ids.h"
#include "tools/percent_progress_ctrl.h"

namespace kv {

namespace wt = window_texts;

namespace {

// The client area in dialog units.
constexpr int kClientWidth = 259;
constexpr int kClientHeight = 150;

template <typename Widget>
Widget* Named(Widget* widget, int id) {
  widget->setObjectName(QString::fromStdString(ids::ObjectName(id)));
  return widget;
}

QComboBox* NameBox(QWidget* parent, int id) {
  auto* box = Named(new QComboBox(parent), id);
  box->setEditable(true);
  // Return in a box belongs to the default button, never to the list.
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMaxVisibleItems(12);
  return box;
}

QPushButton* Button(QWidget* parent, const char* text, int id) {
  auto* button = Named(new QPushButton(QString::fromUtf8(text), parent), id);
  button->setAutoDefault(false);
  return button;
}

QLabel* Label(QWidget* parent, const char* text, QWidget* buddy) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

void CDivideDlg::BuildControls(QWidget* client) {
  const DialogUnits du(font());
  client->setFixedSize(du.X(kClientWidth), du.Y(kClientHeight));

  sourceBox_ = NameBox(client, ids::kSourceBox);
  sourceBrowse_ = Button(client, wt::kSourceBrowse, ids::kSourceBrowse);
  destinationBox_ = NameBox(client, ids::kDestinationBox);
  destinationBrowse_ = Button(client, wt::kDestinationBrowse, ids::kDestinationBrowse);
  information_ = Named(new QPlainTextEdit(client), ids::kInformationField);
  information_->setReadOnly(true);
  information_->setTabChangesFocus(true);
  sizeBox_ = NameBox(client, ids::kSizeBox);
  selfRestoreCheck_ = Named(new QCheckBox(QString::fromUtf8(wt::kSelfRestoreCheck), client),
                            ids::kSelfRestoreCheck);
  selfRestoreCheck_->setEnabled(false);
  updateButton_ = Button(client, wt::kUpdateButton, ids::kUpdateButton);
  executeButton_ = Button(client, wt::kExecuteButton, ids::kExecuteButton);
  executeButton_->setDefault(true);
  closeButton_ = Button(client, wt::kCloseButton, ids::kCloseButton);
  progress_ = Named(new CPercentProgressCtrl(client), ids::kProgressBar);
  status_ = Named(new QLabel(client), ids::kStatusField);
  status_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  Label(client, wt::kSourceLabel, sourceBox_)->setGeometry(du.Rect(7, 5, 120, 9));
  sourceBox_->setGeometry(du.Rect(7, 15, 190, 13));
  sourceBrowse_->setGeometry(du.Rect(202, 14, 50, 14));
  Label(client, wt::kDestinationLabel, destinationBox_)->setGeometry(du.Rect(7, 32, 120, 9));
  destinationBox_->setGeometry(du.Rect(7, 42, 190, 13));
  destinationBrowse_->setGeometry(du.Rect(202, 41, 50, 14));
  Label(client, wt::kInformationLabel, information_)->setGeometry(du.Rect(7, 59, 60, 9));
  information_->setGeometry(du.Rect(7, 69, 190, 34));
  Label(client, wt::kSizeLabel, sizeBox_)->setGeometry(du.Rect(7, 109, 54, 9));
  sizeBox_->setGeometry(du.Rect(62, 107, 135, 13));
  selfRestoreCheck_->setGeometry(du.Rect(7, 123, 190, 10));
  updateButton_->setGeometry(du.Rect(202, 69, 50, 14));
  executeButton_->setGeometry(du.Rect(202, 87, 50, 14));
  closeButton_->setGeometry(du.Rect(202, 105, 50, 14));
  progress_->setGeometry(du.Rect(7, 137, 150, 8));
  status_->setGeometry(du.Rect(160, 136, 92, 10));

  // Tab order follows the order of the controls.
  QWidget* const order[] = {sourceBox_,     sourceBrowse_, destinationBox_,   destinationBrowse_,
                            information_,   sizeBox_,      selfRestoreCheck_, updateButton_,
                            executeButton_, closeButton_};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    setTabOrder(order[i], order[i + 1]);
  }
}

void CDivideDlg::ConnectControls() {
  connect(sourceBrowse_, &QPushButton::clicked, this, &CDivideDlg::ChooseSource);
  connect(destinationBrowse_, &QPushButton::clicked, this, &CDivideDlg::ChooseDestination);
  connect(updateButton_, &QPushButton::clicked, this, &CDivideDlg::OnAnalyse);
  connect(executeButton_, &QPushButton::clicked, this, &CDivideDlg::OnExecute);
  connect(closeButton_, &QPushButton::clicked, this, &CDivideDlg::OnCancel);
  // Only a click of the user's re-analyses: the stored state set at startup does not.
  connect(selfRestoreCheck_, &QCheckBox::clicked, this, [this](bool on) {
    context_.settings.SelfRestore = on;
    QTimer::singleShot(0, this, &CDivideDlg::OnAnalyse);
  });
  // Typing in the source box, or picking from its list, changes the source.
  connect(sourceBox_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
    context_.job.SourceChanged = 1;
    boxText_[0] = text.toStdString();
  });
  connect(sourceBox_, &QComboBox::currentIndexChanged, this,
          [this] { context_.job.SourceChanged = 1; });
  connect(destinationBox_->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& text) { boxText_[1] = text.toStdString(); });
  connect(sourceBox_, &QComboBox::activated, this, [this] { MergeDefaultFolder(Box::kSource); });
  connect(destinationBox_, &QComboBox::activated, this,
          [this] { MergeDefaultFolder(Box::kDestination); });
  for (std::size_t i = 0; i < 2; ++i) {
    mergeTimer_[i] = new QTimer(this);
    mergeTimer_[i]->setInterval(10);
    const Box box = i == 0 ? Box::kSource : Box::kDestination;
    connect(mergeTimer_[i], &QTimer::timeout, this, [this, box] { MergeTick(box); });
  }
}

}  // namespace kv
