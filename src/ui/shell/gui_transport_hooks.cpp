#include "ui/shell/gui_transport_hooks.h"

#include "ui/dialogs/module_choice_dialog.h"

#include <QThread>

#include <memory>

namespace kv816 {

struct GuiTransportHooks::PendingChoice {
  bool done = false;
  uint32_t address = 0;
};

GuiTransportHooks::GuiTransportHooks(QWidget* dialogParent, NoticeSink showNotice)
    : dialogParent_(dialogParent), showNotice_(std::move(showNotice)) {}

GuiTransportHooks::~GuiTransportHooks() {
  shutDown();
}

TransportHooks GuiTransportHooks::hooks() {
  TransportHooks hooks;
  hooks.chooseModule = [this](const std::vector<uint32_t>& modules) {
    return chooseModule(modules);
  };
  hooks.notice = [this](const std::string& text) { notice(text); };
  return hooks;
}

bool GuiTransportHooks::onGuiThread() const {
  return QThread::currentThread() == thread();
}

uint32_t GuiTransportHooks::chooseModule(const std::vector<uint32_t>& modules) {
  // Without an answer the link keeps the module that answered last.
  const uint32_t fallback = modules.empty() ? 0 : modules.back();
  if (closed_.load(std::memory_order_relaxed) || modules.size() < 2)
    return fallback;
  if (onGuiThread())
    return runDialog(modules);
  auto pending = std::make_shared<PendingChoice>();
  QMetaObject::invokeMethod(
      this,
      [this, pending, modules, fallback] {
        const uint32_t address =
            closed_.load(std::memory_order_relaxed) ? fallback : runDialog(modules);
        const std::lock_guard lock(mutex_);
        pending->done = true;
        pending->address = address;
        finished_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  finished_.wait(lock, [&] { return pending->done || closed_.load(std::memory_order_relaxed); });
  return pending->done ? pending->address : fallback;
}

uint32_t GuiTransportHooks::runDialog(const std::vector<uint32_t>& modules) {
  ModuleChoiceDialog dialog(modules, dialogParent_);
  dialog_ = &dialog;
  dialog.raise();
  dialog.activateWindow();
  dialog.exec();
  dialog_ = nullptr;
  return dialog.chosenAddress();
}

void GuiTransportHooks::notice(const std::string& text) {
  if (closed_.load(std::memory_order_relaxed) || !showNotice_)
    return;
  // A notice needs no answer: it is queued and the caller goes on.
  QMetaObject::invokeMethod(
      this,
      [this, line = QString::fromStdString(text)] {
        if (!closed_.load(std::memory_order_relaxed))
          showNotice_(line);
      },
      Qt::QueuedConnection);
}

void GuiTransportHooks::shutDown() {
  {
    const std::lock_guard lock(mutex_);
    closed_.store(true, std::memory_order_relaxed);
  }
  finished_.notify_all();
  if (onGuiThread() && dialog_)
    dialog_->reject();
}

} // namespace kv816
