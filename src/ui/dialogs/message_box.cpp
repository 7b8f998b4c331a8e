#include "ui/dialogs/message_box.h"

#include <QMessageBox>
#include <QWidget>

namespace kv816 {

namespace {

QMessageBox::StandardButtons buttonsOf(MessageKind kind) {
  switch (kind) {
  case MessageKind::OkCancel:
    return QMessageBox::Ok | QMessageBox::Cancel;
  case MessageKind::YesNo:
    return QMessageBox::Yes | QMessageBox::No;
  default:
    return QMessageBox::Ok;
  }
}

} // namespace

MessageButton showMessageBox(QWidget* owner, MessageKind kind, const QString& text,
                             const QString& caption) {
  // The program's name only: the show's name and unsaved mark after it are not a caption.
  const QString title = caption.isEmpty() && owner
                            ? owner->window()->windowTitle().section(QStringLiteral(" — "), 0, 0)
                            : caption;
  QMessageBox box(kind == MessageKind::Ok ? QMessageBox::Information : QMessageBox::Question, title,
                  text, buttonsOf(kind), owner);
  switch (box.exec()) {
  case QMessageBox::Cancel:
    return MessageButton::Cancel;
  case QMessageBox::Yes:
    return MessageButton::Yes;
  case QMessageBox::No:
    return MessageButton::No;
  case QMessageBox::Ok:
    return MessageButton::Ok;
  default:
    return kind == MessageKind::Ok      ? MessageButton::Ok
           : kind == MessageKind::YesNo ? MessageButton::No
                                        : MessageButton::Cancel;
  }
}

} // namespace kv816
