#include "platform/dialogscript.h"

#include <deque>

static bool scripted = false;
static std::deque<DialogStep> expectedDialogs; // steps not yet taken, next first
static std::vector<ShownDialog> shownDialogs;
static QStringList scriptFailures;

static const char *KindName(DialogKind kind) {
  static const char *const names[] = {"open file", "save file", "yes/no", "message", "warning", "colour"};
  return names[kind];
}

void ScriptDialogs(std::vector<DialogStep> steps) {
  scripted = true;
  expectedDialogs.assign(steps.begin(), steps.end());
  shownDialogs.clear();
  scriptFailures.clear();
}

void StopScriptingDialogs() {
  scripted = false;
  expectedDialogs.clear();
}

bool DialogsScripted() { return scripted; }

std::optional<DialogStep> TakeScriptedDialog(const ShownDialog &shown) {
  shownDialogs.push_back(shown);
  const QString seen = QString("%1 dialog \"%2\" / \"%3\"").arg(KindName(shown.kind), shown.title, shown.text);
  if (expectedDialogs.empty()) {
    scriptFailures << "unexpected " + seen;
    return std::nullopt;
  }
  DialogStep step = expectedDialogs.front();
  if (step.kind != shown.kind || step.title != shown.title || (step.text && *step.text != shown.text)) {
    scriptFailures << QString("expected %1 dialog \"%2\" / \"%3\", got %4")
                          .arg(KindName(step.kind), step.title, step.text.value_or("*"), seen);
    return std::nullopt;
  }
  expectedDialogs.pop_front();
  return step;
}

const std::vector<ShownDialog> &ShownDialogs() { return shownDialogs; }

QStringList DialogScriptFailures() {
  QStringList failures = scriptFailures;
  for (const DialogStep &step : expectedDialogs)
    failures << QString("%1 dialog \"%2\" expected but never shown").arg(KindName(step.kind), step.title);
  return failures;
}
