#include "ui/shell/main_window.h"

#include "i18n/text.h"
#include "model/channel_layout.h"
#include "model/link_groups.h"
#include "ui/controls/ui_text.h"
#include "ui/dialogs/message_box.h"
#include "ui/shell/app_icon.h"
#include "ui/shell/device_session.h"
#include "ui/shell/gui_api_host.h"
#include "ui/shell/program_commands.h"
#include "ui/shell/show_controller.h"
#include "ui/shell/support_bundle_saver.h"
#include "ui/shell/tab_layout.h"
#include "ui/shell/tab_row.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QThread>

namespace kv816 {

namespace {

// Pages sit in the tab area shrunk by 1 left, 28 top (more when the tab row grows with its
// labels), 3 right and 2 bottom.
constexpr int PAGE_MARGIN_LEFT = 1;
constexpr int PAGE_MARGIN_TOP = 28;
constexpr int PAGE_MARGIN_RIGHT = 3;
constexpr int PAGE_MARGIN_BOTTOM = 2;
constexpr int EXIT_PAUSE_MS = 30;

// The third status cell names the simulated device, so nobody mistakes it for hardware.
QString demoDeviceText() {
  switch (currentLanguage()) {
  case LanguageIndex::SimplifiedChinese:
    return QStringLiteral("演示设备(模拟)");
  case LanguageIndex::TraditionalChinese:
    return QStringLiteral("演示設備(模擬)");
  default:
    return QStringLiteral("Demo device (simulated)");
  }
}

} // namespace

MainWindow::MainWindow(DeviceSession& session, const PageFactory& pages, QWidget* parent)
    : QMainWindow(parent), session_(session), edits_(session.table()), client_(new QWidget(this)),
      frame_(new QFrame(client_)), tabArea_(new QWidget(client_)), tabs_(new TabRow(tabArea_)) {
  setWindowTitle(QString::fromLatin1(TITLE));
  setWindowIcon(applicationIcon());
  setCentralWidget(client_);
  frame_->setFrameStyle(QFrame::Box | QFrame::Sunken);
  for (auto*& cell : status_) {
    cell = new QLabel(client_);
    cell->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    cell->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
  commands_ = new ProgramCommands(*this, session_);
  show_ = new ShowController(*this, session_);
  api_ = std::make_unique<GuiApiHost>(*this, session_);
  buildMenus();
  show_->buildMenus();
  bundle_ = new SupportBundleSaver(*this, session_);
  bundle_->buildMenu();
  pages_ = pages(tabArea_, session_.table(), edits_);
  edits_.addListener([this](const std::vector<int>& indexes, EditOrigin origin) {
    editsApplied(indexes, origin);
  });
  // An edit goes out at once instead of after the worker's meter phase.
  edits_.addListener([this](const std::vector<int>& indexes, EditOrigin) {
    if (!indexes.empty())
      session_.wakeWorker();
  });
  for (Page* page : pages_.pages)
    connectPage(page);
  hideAllPagesBut(pages_.home());
  client_->installEventFilter(this);
  connect(tabs_, &QTabBar::currentChanged, this, [this](int tab) {
    if (tab >= 0)
      showTab(tab);
  });
  layoutReady_ = true;
}

MainWindow::~MainWindow() = default;

void MainWindow::initialise() {
  resize(DESIGN_WIDTH, DESIGN_HEIGHT);
  if (const QScreen* screen = this->screen()) {
    QRect box(QPoint(0, 0), size());
    box.moveCenter(screen->availableGeometry().center());
    move(box.topLeft());
  }
  applyIoMode(1);
  QMetaObject::invokeMethod(this, &MainWindow::refreshLanguage, Qt::QueuedConnection);
}

void MainWindow::connectPage(Page* page) {
  connect(page, &Page::showPageRequested, this, &MainWindow::showPageNumber, Qt::QueuedConnection);
}

void MainWindow::hideAllPagesBut(Page* shown) {
  for (Page* page : pages_.pages) {
    if (page != shown)
      page->hide();
  }
  if (shown)
    shown->show();
}

QString MainWindow::statusText(int cell) const {
  return cell >= 0 && cell < 3 ? status_[static_cast<size_t>(cell)]->text() : QString();
}

QMenu* MainWindow::menuAt(int position) const {
  return position >= 0 && position < MENU_COUNT ? menus_[static_cast<size_t>(position)] : nullptr;
}

void MainWindow::applyIoMode(int mode) {
  ioMode_ = mode;
  edits_.setActiveChannels(activeChannelsOf(mode));
  updateMenuChecks();
  for (Page* page : {pages_.home(), pages_.gain(), pages_.delay()})
    page->setIoMode(mode);
  rebuildTabs();
}

void MainWindow::rebuildTabs() {
  const int remembered = tabs_->currentIndex();
  const QSignalBlocker blocker(tabs_);
  while (tabs_->count() > 0)
    tabs_->removeTab(0);
  const int count = tabCount(ioMode_);
  tabs_->setTabWidth((tabArea_->width() - 10) / count);
  for (int tab = 0; tab < count; ++tab) {
    const int page = pageOfTab(tab, ioMode_);
    QString label;
    if (page < PAGE_GEQ_FIRST)
      label = uiText(page == PAGE_HOME ? Text::Home : page == PAGE_GAIN ? Text::Gain : Text::Delay);
    else if (page < PAGE_INPUT_FIRST)
      label = uiText(Text::Geq) + QChar('A' + page - PAGE_GEQ_FIRST);
    else if (page < PAGE_OUTPUT_FIRST)
      label = uiText(Text::In) + QChar('A' + page - PAGE_INPUT_FIRST);
    else
      label = uiText(Text::Out) + QString::number(1 + page - PAGE_OUTPUT_FIRST);
    tabs_->addTab(label);
  }
  tabs_->setCurrentIndex(remembered >= 0 && remembered < count ? remembered : 0);
}

void MainWindow::showTab(int tab) {
  const int page = pageOfTab(tab, ioMode_);
  if (page < 0)
    return;
  shownPage_ = page;
  // Remote clients that want the levels keep every meter polled.
  if (!api_->metersWanted())
    session_.link().state().meterView.store(page, std::memory_order_relaxed);
  if (page == PAGE_HOME) {
    hideAllPagesBut(pages_.home());
  } else if (page == PAGE_GAIN) {
    requestGainRefresh();
    hideAllPagesBut(pages_.gain());
  } else if (page == PAGE_DELAY) {
    requestDelayRefresh();
    hideAllPagesBut(pages_.delay());
  } else {
    Page* target = page < PAGE_INPUT_FIRST    ? pages_.geq()
                   : page < PAGE_OUTPUT_FIRST ? pages_.input()
                                              : pages_.output();
    target->showChannel(page);
    hideAllPagesBut(target);
  }
}

// The gain and delay pages are refreshed from the table whenever they are shown.
void MainWindow::requestGainRefresh() {
  for (int c = 0; c < CHANNEL_COUNT; ++c)
    for (ChannelFunction function :
         {ChannelFunction::Mute, ChannelFunction::Phase, ChannelFunction::Gain})
      postRefresh(indexOf(function, c));
}

void MainWindow::requestDelayRefresh() {
  for (int c = 0; c < CHANNEL_COUNT; ++c)
    postRefresh(indexOf(ChannelFunction::Delay, c));
}

void MainWindow::postRefresh(int index) {
  QMetaObject::invokeMethod(
      this, [this, index] { handleNotify(Notify::ParameterChanged, index); }, Qt::QueuedConnection);
}

void MainWindow::showPageNumber(int pageNumber) {
  const int tab = tabOfPage(pageNumber, ioMode_);
  if (tab < 0)
    return; // a channel this mode does not show
  const QSignalBlocker blocker(tabs_);
  tabs_->setCurrentIndex(tab);
  showTab(tab);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize && layoutReady_)
    layoutClient();
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::layoutClient() {
  const int width = client_->width();
  const int height = client_->height();
  const QRect frame = client_->rect().adjusted(5, 2, -5, -32);
  frame_->setGeometry(frame);
  tabArea_->setGeometry(frame.adjusted(5, 5, -5, -5));
  // Scale factors follow the whole window, so the pages keep their design proportions.
  const double scaleX = double(this->width()) / DESIGN_WIDTH;
  const double scaleY = double(this->height()) / DESIGN_HEIGHT;
  tabs_->setTextScale(std::min(scaleX, scaleY));
  tabs_->setGeometry(0, 0, tabArea_->width(), tabs_->tabHeight() + 2);
  rebuildTabs();
  const int pageTop = PAGE_MARGIN_TOP + tabs_->tabHeight() - TabRow::TAB_HEIGHT;
  const QRect pageRect =
      tabArea_->rect().adjusted(PAGE_MARGIN_LEFT, pageTop, -PAGE_MARGIN_RIGHT, -PAGE_MARGIN_BOTTOM);
  for (Page* page : pages_.pages) {
    page->setScale(scaleX, scaleY);
    page->setGeometry(pageRect);
  }
  const int cellWidth = (width - 13) / 3;
  for (int cell = 0; cell < 3; ++cell)
    status_[static_cast<size_t>(cell)]->setGeometry(5 + cell * (cellWidth + 1), height - 28,
                                                    cellWidth, 24);
}

void MainWindow::showLinkStatus(int status) {
  lastLinkStatus_ = status;
  show_->linkStatus(status);
  showStatusCells();
}

void MainWindow::setLinkStopped(bool stopped) {
  linkStopped_ = stopped;
  showStatusCells();
}

void MainWindow::showStatusCells() {
  status_[0]->setText(uiText(linkStopped_                    ? Text::StateOffline
                             : lastLinkStatus_ == LINK_FOUND ? Text::LinkStatusSuccessful
                                                             : Text::LinkStatusSearching));
  const int type = session_.linkType();
  const char* name = type == 1 ? "USB" : type == 2 ? "NET" : type == 3 ? "BT" : "COM";
  status_[1]->setText(uiText(Text::Communication) + QString::fromLatin1(name));
  status_[2]->setText(session_.isDemo() ? demoDeviceText() : notice_);
}

void MainWindow::showNotice(const QString& text) {
  notice_ = text;
  status_[2]->setToolTip(text); // the cell is narrow; the whole line shows on hover
  if (!session_.isDemo())
    status_[2]->setText(text);
}

MessageButton MainWindow::showMessage(MessageKind kind, const QString& text,
                                      const QString& caption) {
  return showMessageBox(this, kind, text, caption);
}

void MainWindow::showAbout() {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("关于 KV816"),
                  QStringLiteral("KV816，1.0 版"), QMessageBox::Ok, this);
  box.setIconPixmap(windowIcon().pixmap(48, 48));
  box.exec();
}

bool MainWindow::confirmExit() {
  return showMessage(MessageKind::YesNo, uiText(Text::ConfirmExit), uiText(Text::Tip)) ==
         MessageButton::Yes;
}

void MainWindow::closeWithoutAsking() {
  exitConfirmed_ = true;
  close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Unsaved show changes ask Save / Discard / Cancel in place of the plain exit question.
  if (!exitConfirmed_ && !(show_->show().modified() ? show_->confirmDiscard() : confirmExit())) {
    event->ignore();
    return;
  }
  exitConfirmed_ = true;
  hide();
  emit aboutToStopLink();
  session_.stop();
  QThread::msleep(EXIT_PAUSE_MS);
  event->accept();
}

} // namespace kv816
