#include "ui/shell/single_instance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QUuid>
#include <gtest/gtest.h>

namespace kv816 {
namespace {

TEST(SingleInstance, SecondCopyIsRefusedAndRaisesTheFirst) {
  const QString key = QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::Id128);
  SingleInstance first(key);
  ASSERT_TRUE(first.acquire());
  int raised = 0;
  QObject::connect(&first, &SingleInstance::raiseRequested, [&raised] { ++raised; });

  SingleInstance second(key);
  EXPECT_FALSE(second.acquire());
  EXPECT_TRUE(second.askFirstToRaise(1000));
  QElapsedTimer clock;
  clock.start();
  while (raised == 0 && clock.elapsed() < 2000)
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(raised, 1);
}

TEST(SingleInstance, LockIsFreeAgainOnceTheFirstCopyEnds) {
  const QString key = QStringLiteral("test-") + QUuid::createUuid().toString(QUuid::Id128);
  {
    SingleInstance first(key);
    ASSERT_TRUE(first.acquire());
  }
  SingleInstance next(key);
  EXPECT_TRUE(next.acquire());
}

} // namespace
} // namespace kv816
