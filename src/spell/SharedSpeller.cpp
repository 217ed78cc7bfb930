#include "spell/SharedSpeller.h"

#include <QCoreApplication>
#include <QTimer>
#include <future>
#include <memory>

namespace spell {

namespace {

struct TShared {
  TSpellerFiles Files;
  std::unique_ptr<TSpeller> Speller;
  std::future<std::unique_ptr<TSpeller>> Loading;
  bool Started = false;
};

TShared& State() {
  static TShared S;
  return S;
}

// Takes the loaded speller over once its thread is done; Wait blocks until it is.
TSpeller* Adopt(bool Wait) {
  TShared& S = State();
  if (S.Speller) return S.Speller.get();
  if (!S.Started) {
    S.Started = true;
    TSpellerFiles Files = S.Files;
    S.Loading = std::async(std::launch::async, [Files] { return std::make_unique<TSpeller>(Files); });
    // The views learn of it on the main thread: a timer there watches the load, so the loading
    // thread never touches the application, which may be gone by the time it is done.
    if (QCoreApplication::instance()) {
      auto* Watch = new QTimer(SpellNotifier());
      Watch->setInterval(20);
      QObject::connect(Watch, &QTimer::timeout, Watch, [Watch] {
        TShared& Now = State();
        const bool Done = Now.Speller || (Now.Loading.valid() &&
                                          Now.Loading.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
        if (!Done && Now.Loading.valid()) return;
        Watch->deleteLater();
        if (Done && SharedSpeller()) NotifySpellingChanged();
      });
      Watch->start();
    }
  }
  if (!S.Loading.valid()) return nullptr;
  if (!Wait && S.Loading.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return nullptr;
  S.Speller = S.Loading.get();
  return S.Speller.get();
}

}  // namespace

void ConfigureSharedSpeller(const TSpellerFiles& Files) {
  ResetSharedSpeller();
  State().Files = Files;
}

const TSpellerFiles& SharedSpellerFiles() { return State().Files; }

TSpeller* SharedSpeller() { return Adopt(false); }

TSpeller* WaitForSharedSpeller() { return Adopt(true); }

void ResetSharedSpeller() {
  TShared& S = State();
  if (S.Loading.valid()) S.Loading.wait();
  S.Loading = {};
  S.Speller.reset();
  S.Started = false;
  NoDictionaryReported() = false;
}

TSpellNotifier* SpellNotifier() {
  static TSpellNotifier* N = new TSpellNotifier;
  return N;
}

void NotifySpellingChanged() { emit SpellNotifier()->Changed(); }

bool& NoDictionaryReported() {
  static bool Reported = false;
  return Reported;
}

}  // namespace spell
