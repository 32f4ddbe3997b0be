#include "app/help_window.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include "app/app_icon.h"

// The pages are compiled into the program's static library; its resources are registered by name.
static void RegisterHelpPages() {
  Q_INIT_RESOURCE(kolvanto);
}

namespace kv {

namespace {

// The pages in contents order; the first is the contents page.
const QStringList& AllPages() {
  static const QStringList pages = {
      QStringLiteral("index.html"),        QStringLiteral("divide.html"),
      QStringLiteral("restore.html"),      QStringLiteral("types.html"),
      QStringLiteral("self_restore.html"), QStringLiteral("validity_check.html"),
      QStringLiteral("using_help.html")};
  return pages;
}

QString PageHtml(const QString& page) {
  QFile file(QStringLiteral(":/help/") + page);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString PageTitle(const QString& html) {
  static const QRegularExpression title(QStringLiteral("<title>(.*)</title>"));
  const QRegularExpressionMatch match = title.match(html);
  return match.hasMatch() ? match.captured(1) : QString();
}

QString PlainText(const QString& html) {
  QTextDocument document;
  document.setHtml(html);
  return document.toPlainText();
}

}  // namespace

CHelpWindow::CHelpWindow(QWidget* parent) : QDialog(parent) {
  RegisterHelpPages();
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(QStringLiteral("Kolvanto ヘルプ"));
  setWindowIcon(KolvantoIcon());
  searchBox_ = new QLineEdit(this);
  searchBox_->setObjectName(QStringLiteral("helpSearch"));
  auto* searchButton = new QPushButton(QStringLiteral("検索(&S)"), this);
  auto* contentsButton = new QPushButton(QStringLiteral("目次(&C)"), this);
  pageList_ = new QListWidget(this);
  pageList_->setObjectName(QStringLiteral("helpPages"));
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("helpBrowser"));
  browser_->setSearchPaths({QStringLiteral(":/help")});

  auto* top = new QHBoxLayout;
  auto* searchLabel = new QLabel(QStringLiteral("キーワード(&K)"), this);
  searchLabel->setBuddy(searchBox_);
  top->addWidget(searchLabel);
  top->addWidget(searchBox_, 1);
  top->addWidget(searchButton);
  top->addWidget(contentsButton);
  auto* body = new QHBoxLayout;
  body->addWidget(pageList_, 1);
  body->addWidget(browser_, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(body);
  // The contents list is as wide as its longest title, so that no title is cut.
  ListPages(AllPages());
  pageList_->setMinimumWidth(pageList_->sizeHintForColumn(0) + 2 * pageList_->frameWidth() +
                             style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  resize(720, 480);

  connect(searchButton, &QPushButton::clicked, this, &CHelpWindow::Search);
  connect(searchBox_, &QLineEdit::returnPressed, this, &CHelpWindow::Search);
  connect(contentsButton, &QPushButton::clicked, this, &CHelpWindow::ShowContents);
  connect(pageList_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item != nullptr) {
      OpenPage(item->data(Qt::UserRole).toString());
    }
  });
}

QStringList CHelpWindow::FindPages(const QString& words) {
  RegisterHelpPages();
  const QStringList wanted = words.split(u' ', Qt::SkipEmptyParts);
  QStringList found;
  for (const QString& page : AllPages()) {
    const QString text = PlainText(PageHtml(page));
    const bool all = std::all_of(wanted.begin(), wanted.end(), [&](const QString& word) {
      return text.contains(word, Qt::CaseInsensitive);
    });
    if (!wanted.isEmpty() && all) {
      found << page;
    }
  }
  return found;
}

void CHelpWindow::ListPages(const QStringList& pages) {
  pageList_->clear();
  for (const QString& page : pages) {
    auto* item = new QListWidgetItem(PageTitle(PageHtml(page)), pageList_);
    item->setData(Qt::UserRole, page);
  }
}

void CHelpWindow::OpenPage(const QString& page) {
  browser_->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
}

void CHelpWindow::ShowContents() {
  ListPages(AllPages());
  pageList_->setCurrentRow(0);
  show();
  raise();
  activateWindow();
}

void CHelpWindow::ShowSearch() {
  ShowContents();
  searchBox_->setFocus();
  searchBox_->selectAll();
}

void CHelpWindow::ShowHelpOnHelp() {
  ShowContents();
  pageList_->setCurrentRow(static_cast<int>(AllPages().indexOf(QStringLiteral("using_help.html"))));
}

void CHelpWindow::Search() {
  ListPages(FindPages(searchBox_->text()));
  if (pageList_->count() > 0) {
    pageList_->setCurrentRow(0);
  } else {
    browser_->setPlainText(
        QStringLiteral("「%1」を含むページはありません。").arg(searchBox_->text()));
  }
}

}  // namespace kv
