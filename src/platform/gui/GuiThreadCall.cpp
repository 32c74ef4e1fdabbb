#include "platform/gui/GuiThreadCall.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

namespace {

struct Handover {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  bool ran = false;
};

// Shared by every copy of the posted call. It goes when the call has run or
// when the event holding it is discarded, and either way releases the waiter.
struct Ticket {
  explicit Ticket(std::shared_ptr<Handover> h) : handover(std::move(h)) {}
  Ticket(const Ticket&) = delete;
  Ticket& operator=(const Ticket&) = delete;
  ~Ticket() {
    std::lock_guard lock(handover->mutex);
    handover->done = true;
    handover->finished.notify_all();
  }
  std::shared_ptr<Handover> handover;
};

}  // namespace

bool RunOnGuiThread(const std::function<void()>& work) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr)
    return false;
  if (QThread::currentThread() == app->thread()) {
    work();
    return true;
  }
  auto handover = std::make_shared<Handover>();
  {
    auto ticket = std::make_shared<Ticket>(handover);
    QMetaObject::invokeMethod(
        app,
        [ticket, &work] {
          work();
          std::lock_guard lock(ticket->handover->mutex);
          ticket->handover->ran = true;
        },
        Qt::QueuedConnection);
  }
  std::unique_lock lock(handover->mutex);
  handover->finished.wait(lock, [&] { return handover->done; });
  return handover->ran;
}
