#include "platform/events.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <deque>

static std::deque<Event> eventQueue; // oldest first

void PostEvent(const Event &event) {
  if (event.kind == SizeEvent) {
    for (auto it = eventQueue.begin(); it != eventQueue.end(); ++it)
      if (it->kind == SizeEvent) {
        eventQueue.erase(it);
        break;
      }
  }
  eventQueue.push_back(event);
}

bool TakeEvent(Event &event) {
  if (eventQueue.empty())
    return false;
  event = eventQueue.front();
  eventQueue.pop_front();
  return true;
}

Event WaitEvent() {
  Event event;
  while (!TakeEvent(event))
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  return event;
}

void PumpToolkit() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int PendingEventCount() { return static_cast<int>(eventQueue.size()); }

void ClearEvents() { eventQueue.clear(); }
