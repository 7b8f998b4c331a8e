#pragma once
// Keeps one copy of the program running per user: the first copy holds a lock file and
// listens on a local socket; a later copy finds the lock taken, asks the first to raise
// its window and gives up. A lock left by a crashed copy is taken over. GUI thread only.

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace kv816 {

class SingleInstance : public QObject {
  Q_OBJECT
public:
  // `key` names the lock and the socket ("T509" for the program; tests use their own).
  explicit SingleInstance(const QString& key, QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when this is the first copy: it now holds the lock and listens for raise requests.
  bool acquire();
  // Asks the first copy to raise its window; true when it was reached within `timeoutMs`.
  bool askFirstToRaise(int timeoutMs = 1000);

signals:
  void raiseRequested();

private:
  QString serverName() const;

  QString key_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
};

} // namespace kv816
