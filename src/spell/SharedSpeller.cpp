#include "spell/SharedSpeller.h"

#include <QCoreApplication>
#include <QMetaObject>
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
    S.Loading = std::async(std::launch::async, [Files] {
      auto Made = std::make_unique<TSpeller>(Files);
      // The views learn of it on the main thread, whoever takes it over first.
      if (QCoreApplication* App = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            App, [] { if (State().Started && SharedSpeller()) NotifySpellingChanged(); }, Qt::QueuedConnection);
      return Made;
    });
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
