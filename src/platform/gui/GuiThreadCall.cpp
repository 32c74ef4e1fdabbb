#include "platform/gui/GuiThreadCall.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace {

// Qt's event queue is not instrumented for the thread sanitizer: tell it that
// posting an event hands the event, and what the poster wrote, to the GUI thread.
void HandOver(void* event) {
#if defined(__SANITIZE_THREAD__)
  __tsan_release(event);
#else
  (void)event;
#endif
}

void TakeOver(void* event) {
#if defined(__SANITIZE_THREAD__)
  __tsan_acquire(event);
#else
  (void)event;
#endif
}

struct Handover {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  bool ran = false;
};

// The work as an event for the GUI thread. Qt deletes it there after running
// it, or wherever it discards it; either way the waiting caller is released.
// The caller never touches the event after posting it.
class GuiCall final : public QEvent {
 public:
  static Type Kind() {
    static const Type kind = static_cast<Type>(registerEventType());
    return kind;
  }
  GuiCall(const std::function<void()>& work, std::shared_ptr<Handover> handover)
      : QEvent(Kind()), work_(work), handover_(std::move(handover)) {}
  ~GuiCall() override { Finish(false); }

  void Run() {
    {
      // Pairs with the caller's lock before posting: what it wrote is seen here.
      std::lock_guard lock(handover_->mutex);
    }
    work_();
    Finish(true);
  }

 private:
  void Finish(bool ran) {
    std::lock_guard lock(handover_->mutex);
    if (handover_->done)
      return;
    handover_->done = true;
    handover_->ran = ran;
    handover_->finished.notify_all();
  }

  const std::function<void()>& work_;
  std::shared_ptr<Handover> handover_;
};

class GuiCallReceiver final : public QObject {
 public:
  bool event(QEvent* event) override {
    TakeOver(event);
    if (event->type() != GuiCall::Kind())
      return QObject::event(event);
    static_cast<GuiCall*>(event)->Run();
    return true;
  }
};

// Lives as long as the process, on the application's thread.
QObject* Receiver(QCoreApplication* app) {
  static QObject* receiver = [app] {
    auto* object = new GuiCallReceiver;
    object->moveToThread(app->thread());
    return object;
  }();
  return receiver;
}

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
  auto* call = new GuiCall(work, handover);
  {
    // Publishes what this thread wrote to the GUI thread's lock in Run. Not
    // held while posting: Qt may delete an event it cannot deliver at once.
    std::lock_guard publish(handover->mutex);
  }
  HandOver(call);
  QCoreApplication::postEvent(Receiver(app), call);
  std::unique_lock lock(handover->mutex);
  handover->finished.wait(lock, [&] { return handover->done; });
  return handover->ran;
}
