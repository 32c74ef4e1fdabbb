#include "platform/components/ScriptControl.h"

#include <unistd.h>

#include <QJSEngine>
#include <QJSValue>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/components/Components.h"

namespace {

// The engine gives every item of an open literal or argument list a slot of
// a fixed 4 MiB stack and does not check it: half a million items write past
// its end and take the process down. This counts, for the deepest point of
// the text, the commas and colons of every list still open there. Strings,
// comments and regular-expression literals are skipped; a string that eval
// would run again holds no more items than its own length allows, and it is
// counted when that eval's text comes here.
int LongestListItems(const QString& text) {
  std::vector<int> open;  // items of each list open at this point
  std::int64_t total = 0, longest = 0;
  QChar previous = QLatin1Char('(');  // the last character that is not blank
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('`') ||
        (c == QLatin1Char('/') && i + 1 < text.size() && text[i + 1] != QLatin1Char('/') &&
         text[i + 1] != QLatin1Char('*') &&
         QStringLiteral("(,=:[!&|?{};+-*%<>~^").contains(previous))) {
      for (++i; i < text.size() && text[i] != c && text[i] != QLatin1Char('\n'); ++i) {
        if (text[i] == QLatin1Char('\\'))
          ++i;
      }
    } else if (c == QLatin1Char('/') && i + 1 < text.size() && text[i + 1] == QLatin1Char('/')) {
      while (i < text.size() && text[i] != QLatin1Char('\n')) ++i;
    } else if (c == QLatin1Char('/') && i + 1 < text.size() && text[i + 1] == QLatin1Char('*')) {
      i = text.indexOf(QStringLiteral("*/"), i + 2);
      if (i < 0)
        break;
      ++i;
    } else if (c == QLatin1Char('[') || c == QLatin1Char('{') || c == QLatin1Char('(')) {
      open.push_back(0);
    } else if ((c == QLatin1Char(']') || c == QLatin1Char('}') || c == QLatin1Char(')')) &&
               !open.empty()) {
      total -= open.back();
      open.pop_back();
    } else if ((c == QLatin1Char(',') || c == QLatin1Char(':')) && !open.empty()) {
      ++open.back();
      longest = std::max(longest, ++total);
    }
    if (!c.isSpace())
      previous = c;
  }
  return static_cast<int>(std::min<std::int64_t>(longest, INT32_MAX));
}

using Clock = std::chrono::steady_clock;

// Polling interval of the memory watch, and the longest a run may go on
// past its deadline.
constexpr auto kWatchInterval = std::chrono::milliseconds(10);

std::int64_t ResidentBytes() {
  std::FILE* file = std::fopen("/proc/self/statm", "r");
  if (file == nullptr)
    return -1;
  long long size = 0, resident = 0;
  int read = std::fscanf(file, "%lld %lld", &size, &resident);
  std::fclose(file);
  if (read != 2)
    return -1;
  return static_cast<std::int64_t>(resident) * sysconf(_SC_PAGESIZE);
}

// One thread for the whole process that interrupts runs over their budget.
// An engine is only touched while its ticket is armed, under the lock, so
// disarming before the engine goes away is enough.
class Watchdog {
 public:
  static Watchdog& Instance() {
    // Never destroyed: workers may still run scripts while main() returns.
    static Watchdog* watchdog = new Watchdog;
    return *watchdog;
  }

  std::uint64_t Arm(QJSEngine* engine, std::chrono::milliseconds budget, std::int64_t memory) {
    std::lock_guard lock(mutex);
    bool wasIdle = entries.empty();
    std::uint64_t ticket = ++lastTicket;
    entries.push_back({ticket, engine, Clock::now() + budget, memory, -1});
    if (wasIdle)
      wake.notify_one();
    return ticket;
  }

  void Disarm(std::uint64_t ticket) {
    std::lock_guard lock(mutex);
    std::erase_if(entries, [ticket](const Entry& e) { return e.ticket == ticket; });
  }

 private:
  struct Entry {
    std::uint64_t ticket;
    QJSEngine* engine;
    Clock::time_point deadline;
    std::int64_t memoryAllowed;
    std::int64_t memoryLimit;  // -1 until the first look
  };

  Watchdog() {
    std::thread([this] { Loop(); }).detach();
  }

  void Loop() {
    std::unique_lock lock(mutex);
    for (;;) {
      if (entries.empty()) {
        wake.wait(lock);
        continue;
      }
      wake.wait_for(lock, kWatchInterval);
      if (entries.empty())
        continue;
      std::int64_t resident = ResidentBytes();
      Clock::time_point now = Clock::now();
      for (Entry& e : entries) {
        if (e.memoryLimit < 0 && resident >= 0)
          e.memoryLimit = resident + e.memoryAllowed;
        bool overMemory = e.memoryLimit >= 0 && resident > e.memoryLimit;
        if (now >= e.deadline || overMemory)
          e.engine->setInterrupted(true);
      }
    }
  }

  std::mutex mutex;
  std::condition_variable wake;
  std::vector<Entry> entries;
  std::uint64_t lastTicket = 0;
};

std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<std::size_t>(text.size()));
}

QString ToQString(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

class ScriptControl : public Dispatch {
 public:
  ScriptControl() {
    // The engine adds two web globals of its own; the sandbox keeps only the
    // language's.
    QJSValue global = engine.globalObject();
    global.deleteProperty(QStringLiteral("URL"));
    global.deleteProperty(QStringLiteral("URLSearchParams"));
  }

  bool Invoke(std::u16string_view name, DispatchKind kind, std::span<const Variant> args,
              Variant& result) override {
    if (SameName(name, u"Language"))
      return Language(kind, args, result);
    if (SameName(name, u"Timeout"))
      return Timeout(kind, args, result);
    if (kind != DispatchKind::Call || args.size() != 1 || language.empty())
      return false;
    if (SameName(name, u"AddCode")) {
      Variant ignored;
      return Run(args[0], ignored, false);
    }
    if (SameName(name, u"Eval"))
      return Run(args[0], result, true);
    return false;
  }

 private:
  bool Language(DispatchKind kind, std::span<const Variant> args, Variant& result) {
    if (kind == DispatchKind::Call && args.empty()) {
      result = Variant(language);
      return true;
    }
    if (kind != DispatchKind::Put || args.size() != 1)
      return false;
    std::u16string value = args[0].ToWide();
    if (!SameName(value, u"JavaScript") && !SameName(value, u"JScript"))
      return false;
    language = value;
    return true;
  }

  bool Timeout(DispatchKind kind, std::span<const Variant> args, Variant& result) {
    if (kind == DispatchKind::Call && args.empty()) {
      result = Variant(budgetMs);
      return true;
    }
    if (kind != DispatchKind::Put || args.size() != 1)
      return false;
    // A run is never left without a budget.
    double value = args[0].ToNumber();
    if (!(value >= 1 && value <= 600000))
      return false;
    budgetMs = static_cast<int>(value);
    return true;
  }

  // Runs under the budget; the value is converted before the budget ends,
  // since converting an object may run its script.
  bool Run(const Variant& code, Variant& result, bool wantValue) {
    QString program = ToQString(code.ToWide());
    if (LongestListItems(program) > kScriptMaxListItems) {
      result = Variant();
      return false;
    }
    std::int64_t textBytes = static_cast<std::int64_t>(program.size()) * 2;
    auto budget =
        std::chrono::milliseconds(budgetMs + textBytes * kScriptBudgetMsPerMiB / (1 << 20));
    std::int64_t memory = kScriptMemoryCapBytes + textBytes * kScriptMemoryPerTextByte;
    Watchdog& watchdog = Watchdog::Instance();
    std::uint64_t ticket = watchdog.Arm(&engine, budget, memory);
    QStringList trace;
    QJSValue value = engine.evaluate(program, QString(), 1, &trace);
    bool ok = trace.isEmpty() && !value.isError();
    if (ok && wantValue)
      ok = Convert(value, result);
    watchdog.Disarm(ticket);
    if (engine.isInterrupted()) {
      engine.setInterrupted(false);
      ok = false;
    }
    if (!ok)
      result = Variant();
    return ok;
  }

  bool Convert(const QJSValue& value, Variant& result) {
    if (value.isUndefined()) {
      result = Variant();
    } else if (value.isNull()) {
      result = Variant::MakeNull();
    } else if (value.isBool()) {
      result = Variant(value.toBool());
    } else if (value.isNumber()) {
      result = Variant(value.toNumber());
    } else if (value.isString()) {
      result = Variant(ToU16(value.toString()));
    } else if (value.isObject()) {
      // The conversion runs the object's own toString, which may throw;
      // QJSValue::toString would hide that, a script run does not.
      static const QString kSlot = QStringLiteral("__vantrel_result");
      QJSValue global = engine.globalObject();
      global.setProperty(kSlot, value);
      QStringList trace;
      QJSValue text = engine.evaluate(QStringLiteral("`${") + kSlot + QStringLiteral("}`"),
                                      QString(), 1, &trace);
      global.deleteProperty(kSlot);
      if (!trace.isEmpty() || !text.isString())
        return false;
      result = Variant(ToU16(text.toString()));
    } else {
      result = Variant();  // a symbol has no automation form
    }
    return true;
  }

  QJSEngine engine;  // no extensions installed: only the language's globals
  std::u16string language;
  int budgetMs = kScriptBudgetMs;
};

}  // namespace

std::shared_ptr<Dispatch> CreateScriptControl() {
  return std::make_shared<ScriptControl>();
}
